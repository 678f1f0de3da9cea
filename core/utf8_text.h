// Text in UTF-8, read as fast as Shift_JIS: stretches of ASCII skipped a word at a time, and
// each other character looked up directly in a table of the first plane.
#pragma once

#include <string>

#include <cstdint>
#include <span>

#include "core/kanji_grid.h"
#include "core/scanner.h"
#include "core/text_stream.h"

namespace sorvane {

// The grid cell a character stands for when Windows writes it in Shift_JIS (code page 932,
// then JIS X 0208's own mapping): -1 when it has no two-byte form in the grid. The NEC-
// selected IBM characters of rows 89 to 92 are written in IBM's codes 0xFA to 0xFC, outside
// the grid, so they stand for no cell either.
int cell_of_code_point(char32_t c);

// A code point in UTF-8.
std::string utf8_of(char32_t c);

// The code point of the UTF-8 sequence at p (n bytes are there), and its length in used; -1
// when the bytes begin no whole, shortest sequence of a code point.
long decode_utf8(const std::uint8_t* p, std::size_t n, std::size_t& used);

// What a UTF-8 text held besides its characters of the grid.
struct Utf8Outcome {
    bool valid = true;          // false at the first byte sequence that is no UTF-8 character
    bool cut_short = false;     // the text ends inside a character
    long long error_offset = 0;  // the byte offset of that sequence
    long error_line = 0;         // and its line
    long left_out = 0;           // characters above 0x7F without a cell, a byte order mark at the start not counted
};

// Receives each character without a cell, where it stands; may be empty.
struct LeftOutSink {
    void (*note)(void* context, char32_t c, long line) = nullptr;
    void* context = nullptr;
};

// Marks the cells of the characters of a UTF-8 text in found, read through in until its end
// or a byte 0x1A; a byte order mark at the start is skipped. Stops at the first invalid
// sequence, with found marked as far as it went. Where path is not the portable way and
// utf8_path_available(ScanPath::avx2), it takes 32 bytes at a time; the results are the same.
Utf8Outcome mark_utf8_text(TextReader& in, KanjiGrid& found, LeftOutSink left_out = {}, ScanPath path = fastest_scan_path());

// The ways a UTF-8 text can be read here: the portable one, and the AVX2 way where this build
// has its code and the processor has AVX2. Every other way reads as one of these.
bool utf8_path_available(ScanPath path);

}  // namespace sorvane
