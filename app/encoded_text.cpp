#include "app/encoded_text.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <span>

#include "core/scanner.h"
#include "core/text_stream.h"
#include "core/utf8_text.h"
#include "fontgen/font_source.h"

namespace sorvane {
namespace {

void note_left_out(LeftOut& left_out, char32_t c, const char* path, long line) {
    if (left_out.count < static_cast<long>(left_out.first.size())) left_out.first[static_cast<std::size_t>(left_out.count)] = {c, path, line};
    ++left_out.count;
    if (half_width_katakana_byte(c) >= 0) ++left_out.half_width;
}


// A failure at a place of the file.
Outcome failure_at(int message, const char* path, long line, long long offset = 0) {
    Outcome outcome{message, path};
    outcome.line = line;
    outcome.offset = offset;
    return outcome;
}

}  // namespace

int Decoder::shift_jis_bytes(char32_t c, std::uint8_t bytes[2]) {
    if (c < 0x80) {
        bytes[0] = static_cast<std::uint8_t>(c);
        return 1;
    }
    if (c >= known_forms_.size()) return look_up(c, bytes);
    std::uint16_t& form = known_forms_[c];
    if (form == 0) {
        std::uint8_t found[2];
        const int n = look_up(c, found);
        form = n == 2 ? static_cast<std::uint16_t>(found[0] << 8 | found[1]) : n == 1 ? static_cast<std::uint16_t>(0x200 | found[0]) : 1;
    }
    if (form == 1) return 0;
    if (form < 0x300) {
        bytes[0] = static_cast<std::uint8_t>(form & 0xFF);
        return 1;
    }
    bytes[0] = static_cast<std::uint8_t>(form >> 8);
    bytes[1] = static_cast<std::uint8_t>(form & 0xFF);
    return 2;
}

namespace {

// Where a reading of an encoded file stands.
struct EncodedReading {
    const char* path;
    Decoder& decoder;
    LeftOut& left_out;
    long line = 1;
    bool ended = false;  // at a 0x1A, which would end a Shift_JIS copy for the scanner
};

// The Shift_JIS bytes of n code points, into converted; how many. A character without a
// two-byte form in the grid is noted as left out.
std::size_t to_shift_jis(EncodedReading& reading, const char32_t* code_points, long n, std::uint8_t* converted) {
    std::size_t out = 0;
    for (long i = 0; i < n; ++i) {
        const char32_t c = code_points[i];
        if (c == 0x1A) {
            reading.ended = true;
            break;
        }
        std::uint8_t bytes[2];
        const int length = reading.decoder.shift_jis_bytes(c, bytes);
        const bool two_byte = length == 2 && is_lead_byte(bytes[0]) && is_trail_byte(bytes[1]);
        if (c >= 0x80 && !two_byte) note_left_out(reading.left_out, c, reading.path, reading.line);
        // A two-byte form outside the grid (IBM's 0xFA to 0xFC, the user's 0xF0 to 0xF9) is
        // left out whole: its second byte could pair with the next character's first.
        if (length == 2 && !two_byte) continue;
        for (int b = 0; b < length; ++b) converted[out++] = bytes[b];
        if (c == '\n') ++reading.line;
    }
    return out;
}

}  // namespace

Outcome mark_encoded_file(const char* path, Decoder& decoder, Scanner& scanner, KanjiGrid& found, LeftOut& left_out) {
    std::FILE* file = open_input(path);
    if (!file) return {message_cannot_open_input, path, errno};
    // A block of the file, its code points and its Shift_JIS bytes.
    struct Buffers {
        std::uint8_t in[1 << 16];
        char32_t code_points[1 << 16];
        std::uint8_t converted[2 << 16];
    };
    const auto buffers = std::make_unique<Buffers>();
    auto& in = buffers->in;
    EncodedReading reading{path, decoder, left_out};
    std::size_t kept = 0;  // undecoded bytes at the start of in
    long long offset = 0;  // of in[0] in the file
    unsigned pending_lead = 0;
    Outcome outcome;
    while (outcome.ok() && !reading.ended) {
        const std::size_t got = std::fread(in + kept, 1, sizeof in - kept, file);
        if (got == 0 && std::ferror(file)) {
            outcome = {message_cannot_read, path, errno};
            break;
        }
        const bool at_end = got == 0 || std::feof(file);
        const std::size_t size = kept + got;
        std::size_t start = 0;
        while (start < size && !reading.ended) {
            std::size_t used = 0;
            const long n = decoder.decode(in + start, size - start, at_end, buffers->code_points,
                                          std::size(buffers->code_points), used);
            if (n < 0) {
                outcome = failure_at(message_not_a_character, path, reading.line, offset + static_cast<long long>(start));
                break;
            }
            if (n == 0 && used == 0) break;  // a character cut by the end of the block
            const std::size_t out = to_shift_jis(reading, buffers->code_points, n, buffers->converted);
            scanner.mark_text(std::span<const std::uint8_t>(buffers->converted, out), pending_lead, found);
            start += used;
        }
        kept = size - start;
        std::memmove(in, in + start, kept);
        offset += static_cast<long long>(start);
        if (at_end && outcome.ok() && kept > 0 && !reading.ended)
            outcome = failure_at(message_ends_inside_character, path, reading.line);
        if (at_end) reading.ended = true;
    }
    if (file != stdin) std::fclose(file);
    return outcome;
}

bool is_utf8_name(const char* encoding) {
    if (!encoding) return false;
    std::string name;
    for (const char* p = encoding; *p; ++p) name += static_cast<char>(*p >= 'A' && *p <= 'Z' ? *p + 32 : *p);
    return name == "utf-8" || name == "utf8";
}

Outcome mark_utf8_file(const char* path, KanjiGrid& found, LeftOut& left_out) {
    std::FILE* file = open_input(path);
    if (!file) return {message_cannot_open_input, path, errno};
    std::array<std::uint8_t, 1 << 16> buffer;
    TextReader in(file, buffer);
    struct Note {
        LeftOut& left_out;
        const char* path;
    } note{left_out, path};
    const LeftOutSink sink{[](void* context, char32_t c, long line) {
                               auto* n = static_cast<Note*>(context);
                               note_left_out(n->left_out, c, n->path, line);
                           },
                           &note};
    const Utf8Outcome outcome = mark_utf8_text(in, found, sink);
    if (file != stdin) std::fclose(file);
    if (in.read_failed()) return {message_cannot_read, path, in.read_error()};
    if (outcome.cut_short) return failure_at(message_ends_inside_character, path, outcome.error_line);
    if (!outcome.valid) return failure_at(message_not_a_character, path, outcome.error_line, outcome.error_offset);
    return {};
}


bool characters_of_encoded(std::string_view text, Decoder& decoder, std::vector<TextCharacter>& characters,
                           std::size_t& bad_offset) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    std::array<char32_t, 256> code_points;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t used = 0;
        const long n = decoder.decode(bytes + at, text.size() - at, true, code_points.data(), code_points.size(), used);
        if (n < 0 || used == 0) {
            bad_offset = at + used;
            return false;
        }
        for (long i = 0; i < n; ++i) {
            const char32_t c = code_points[static_cast<std::size_t>(i)];
            if (c == 0) return true;  // the end of the reader's string
            if (const int kana = half_width_katakana_byte(c); kana >= 0) {
                characters.push_back({TextCharacter::Kind::half, static_cast<char32_t>(kana)});
                continue;
            }
            std::uint8_t sjis[2];
            const int length = decoder.shift_jis_bytes(c, sjis);
            if (length == 1) characters.push_back({TextCharacter::Kind::half, sjis[0]});
            else characters.push_back({TextCharacter::Kind::shift_jis, static_cast<char32_t>(length == 2 ? sjis[0] << 8 | sjis[1] : 0)});
        }
        at += used;
    }
    return true;
}

}  // namespace sorvane
