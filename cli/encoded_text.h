// Scanning text files of any encoding: converted to Shift_JIS, then marked by the scanner.
#pragma once

#include <array>
#include <string>

#include "app/commands.h"
#include "core/kanji_grid.h"
#include "core/scanner.h"

namespace sorvane::cli {

// A character that has no two-byte Shift_JIS form, where it stands.
struct Unmapped {
    char32_t code_point;
    std::string file;
    long line;
};

// What the reads so far left out: how many characters, and the first ten of them.
struct LeftOut {
    long count = 0;
    std::array<Unmapped, 10> first{};
};

// Reads a file ("-": standard input) in the encoding of the open decoder, converted to
// Shift_JIS, and marks its characters, as a scan of a Shift_JIS copy of the file would. A
// character without a two-byte form (in the grid) is counted in left_out. Fails, after
// saying why, when the file cannot be read or holds a byte sequence that is no character of
// the encoding.
Outcome mark_encoded_file(const char* path, Scanner& scanner, KanjiGrid& found, LeftOut& left_out);

// The same for UTF-8, without the converter: decoded and looked up in the grid's own table,
// with the same lists, warnings and errors, and a byte order mark at the start accepted.
Outcome mark_utf8_file(const char* path, KanjiGrid& found, LeftOut& left_out);

// Whether an encoding name is UTF-8's.
bool is_utf8_name(const char* encoding);

}  // namespace sorvane::cli
