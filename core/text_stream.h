// Buffered text streams, the same on every platform: every written line ends with CR LF; on
// reading, CR LF or a lone LF ends a line, a CR not followed by LF stays in the line, and a
// byte 0x1A ends the input. A read error ends the input like the end of the file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string_view>

namespace sorvane {

class TextReader {
public:
    // Reads an open file in blocks of buffer's size; the caller closes the file.
    TextReader(std::FILE* file, std::span<std::uint8_t> buffer) : file_(file), buffer_(buffer) {}
    // Reads text held in memory, such as a file unpacked from gzip.
    explicit TextReader(std::span<const std::uint8_t> text) : file_(nullptr), view_(text) {}

    // The next run of input bytes as they stand in the file (CR LF not folded), ending before
    // any 0x1A; empty once the input has ended.
    std::span<const std::uint8_t> next_block() {
        if (pos_ == end_ && !refill()) return {};
        const std::span<const std::uint8_t> block = view_.subspan(pos_, end_ - pos_);
        pos_ = end_;
        return block;
    }

    // The next byte with CR LF folded into LF, or -1 once the input has ended.
    int get() {
        if (pos_ == end_ && !refill()) return -1;
        const std::uint8_t c = view_[pos_++];
        if (c == '\r' && (pos_ < end_ || refill()) && view_[pos_] == '\n') {
            ++pos_;
            return '\n';
        }
        return c;
    }

    // Reads one line as fgets does: at most capacity - 1 bytes, up to and including the LF,
    // then a NUL. Returns the number of bytes read; 0 means the input had already ended.
    std::size_t read_line(char* line, std::size_t capacity);

    // Skips the rest of a line that did not fit, up to and including its LF.
    void skip_line();

    // True when the input ended with a read error rather than at its end.
    bool read_failed() const { return read_error_ != 0; }
    // The errno of that read error, or 0.
    int read_error() const { return read_error_; }

private:
    bool refill();

    std::FILE* file_;
    std::span<std::uint8_t> buffer_;
    std::span<const std::uint8_t> view_;  // the bytes at hand: the buffer's, or the text in memory
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool ended_ = false;
    int read_error_ = 0;
};

class TextWriter {
public:
    // Writes into an open file through a buffer; the caller closes the file.
    explicit TextWriter(std::FILE* file) : file_(file) {}
    TextWriter(const TextWriter&) = delete;
    TextWriter& operator=(const TextWriter&) = delete;

    // Writes text with every LF as CR LF.
    void write(std::string_view text);
    void write_byte(char c) {
        if (used_ == buffer_.size()) drain();
        buffer_[used_++] = c;
    }
    void write_unsigned(std::uint32_t value);
    void write_signed(std::int32_t value);

    // Hands everything to the file and flushes it; true when every byte so far was accepted.
    bool flush();
    // The errno of the first write that failed, or 0.
    int error() const { return error_; }

private:
    void drain();

    std::FILE* file_;
    std::array<char, 1 << 16> buffer_;
    std::size_t used_ = 0;
    int error_ = 0;
};

}  // namespace sorvane
