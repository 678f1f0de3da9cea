// Scanning text files of any encoding: UTF-8 read natively, any other converted to
// Shift_JIS by the platform's converter and marked by the scanner, as a scan of a Shift_JIS
// copy of the file would mark it.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/commands.h"
#include "core/kanji_grid.h"
#include "core/scanner.h"
#include "fontgen/preview.h"

namespace sorvane {

// A character that has no two-byte Shift_JIS form, where it stands.
struct Unmapped {
    char32_t code_point;
    std::string file;
    long line;
};

// What the reads so far left out: how many characters, and the first ten of them.
struct LeftOut {
    long count = 0;
    long half_width = 0;  // of them half-width katakana, which the half-width table draws
    std::array<Unmapped, 10> first{};
};

// The platform's converter from an encoding into Unicode, and from Unicode into Shift_JIS
// (iconv on POSIX systems, the Windows conversion calls on Windows), with what it has looked
// up so far. Large: a scan makes one on the heap.
class Decoder {
public:
    // Prepares the converter for a named encoding ("utf-8", "euc-jp", "cp932", ...).
    explicit Decoder(const char* encoding);
    ~Decoder();
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    // False when the platform knows no such encoding.
    bool known() const;

    // Decodes the whole characters at the start of in (size bytes; at_end when no more
    // follow) into out, at most capacity code points. used: the bytes taken. Returns the
    // number of code points, or -1 when the bytes at in + used are no character of the encoding.
    long decode(const std::uint8_t* in, std::size_t size, bool at_end, char32_t* out, std::size_t capacity,
                std::size_t& used);

    // The Shift_JIS bytes of a code point (0, 1 or 2 of them): code page 932's, or JIS X
    // 0208's own for the few characters the two map otherwise (the wave dash, ...).
    int shift_jis_bytes(char32_t code_point, std::uint8_t bytes[2]);

private:
    int look_up(char32_t code_point, std::uint8_t bytes[2]);  // the platform's answer

    std::intptr_t decoder_ = -1;  // the converter (POSIX) or the code page (Windows)
    std::intptr_t to_cp932_ = -1;
    std::intptr_t to_jis_ = -1;
    // The Shift_JIS form of each code point of the first plane, as found: 0 not yet looked
    // up, 1 none, 0x200 + b one byte b, lead * 256 + trail two bytes.
    std::array<std::uint16_t, 0x10000> known_forms_{};
    std::unique_ptr<wchar_t[]> wide_;  // the platform's own scratch, where it needs one
};

// Reads a file ("-": standard input) through decoder, converted to Shift_JIS, and marks its
// characters, as a scan of a Shift_JIS copy of the file would. A character without a
// two-byte form (in the grid) is counted in left_out. Fails when the file cannot be read, or
// with message_not_a_character or message_ends_inside_character, the line and the offset.
Outcome mark_encoded_file(const char* path, Decoder& decoder, Scanner& scanner, KanjiGrid& found, LeftOut& left_out);

// The same for UTF-8, without the converter: decoded and looked up in the grid's own table,
// with the same lists and errors, and a byte order mark at the start accepted.
Outcome mark_utf8_file(const char* path, KanjiGrid& found, LeftOut& left_out);

// The characters of a text in decoder's encoding up to a NUL, as the firmware reader takes
// them once converted to Shift_JIS: ASCII and the half-width katakana as half-width bytes, the
// rest by their two-byte Shift_JIS code (0 for one without). False, with the offset of the
// bytes, for bytes that are no character.
bool characters_of_encoded(std::string_view text, Decoder& decoder, std::vector<TextCharacter>& characters,
                           std::size_t& bad_offset);

// Whether an encoding name is UTF-8's.
bool is_utf8_name(const char* encoding);

// A file to read, or standard input for "-", in binary mode; null when it cannot be opened.
std::FILE* open_input(const char* path);

}  // namespace sorvane
