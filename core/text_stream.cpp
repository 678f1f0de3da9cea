#include "core/text_stream.h"

#include <cerrno>
#include <charconv>
#include <cstring>

namespace sorvane {

bool TextReader::refill() {
    pos_ = end_ = 0;
    if (ended_) return false;
    std::size_t n = view_.size();
    if (!file_) {
        ended_ = true;  // the text in memory is one block
    } else {
        if (buffer_.empty()) return false;
        n = std::fread(buffer_.data(), 1, buffer_.size(), file_);
        view_ = buffer_;
        if (n < buffer_.size() && std::ferror(file_)) {
            read_error_ = errno != 0 ? errno : EIO;
            ended_ = true;
        }
    }
    if (n == 0) {
        ended_ = true;
        return false;
    }
    if (const void* eof = std::memchr(view_.data(), 0x1A, n)) {
        n = static_cast<std::size_t>(static_cast<const std::uint8_t*>(eof) - view_.data());
        ended_ = true;  // nothing after a 0x1A is ever read
    }
    end_ = n;
    return n > 0;
}

std::size_t TextReader::read_line(char* line, std::size_t capacity) {
    std::size_t n = 0;
    while (n + 1 < capacity) {
        const int c = get();
        if (c < 0) break;
        line[n++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    if (capacity > 0) line[n] = '\0';
    return n;
}

void TextReader::skip_line() {
    for (int c = get(); c >= 0 && c != '\n'; c = get()) {
    }
}

void TextWriter::drain() {
    if (used_ > 0 && error_ == 0 && std::fwrite(buffer_.data(), 1, used_, file_) != used_) error_ = errno != 0 ? errno : EIO;
    used_ = 0;
}

void TextWriter::write(std::string_view text) {
    for (const char c : text) {
        if (c == '\n') write_byte('\r');
        write_byte(c);
    }
}

void TextWriter::write_unsigned(std::uint32_t value) {
    char digits[10];
    const auto r = std::to_chars(digits, digits + sizeof digits, value);
    write(std::string_view(digits, static_cast<std::size_t>(r.ptr - digits)));
}

void TextWriter::write_signed(std::int32_t value) {
    char digits[11];
    const auto r = std::to_chars(digits, digits + sizeof digits, value);
    write(std::string_view(digits, static_cast<std::size_t>(r.ptr - digits)));
}

bool TextWriter::flush() {
    drain();
    if (std::fflush(file_) != 0 && error_ == 0) error_ = errno != 0 ? errno : EIO;
    return error_ == 0;
}

}  // namespace sorvane
