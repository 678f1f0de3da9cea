// Font source files: one line of comma-separated row values for each of the 8836 grid
// positions.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "core/kanji_grid.h"
#include "core/text_stream.h"

namespace sorvane {

inline constexpr int glyph_rows_max = 32;

// Row values of one glyph; a font of N dot rows fills values 0 to N-1, one dot row each.
using GlyphRecord = std::array<std::int32_t, glyph_rows_max>;

// One record per cell index.
using GlyphTable = std::array<GlyphRecord, grid_cells>;

// The half-width glyphs, one record per byte of the single-byte code: ASCII 0x20 to 0x7E
// and the half-width katakana 0xA1 to 0xDF. A half-width font source file holds a line for
// each of the 256 bytes, in the same text as a font source file.
inline constexpr int half_codes = 256;
using HalfTable = std::array<GlyphRecord, half_codes>;

// Whether a byte has a half-width glyph: printable ASCII or half-width katakana.
constexpr bool is_half_width_code(long code) { return (code >= 0x20 && code <= 0x7E) || (code >= 0xA1 && code <= 0xDF); }

// The byte of a half-width katakana, U+FF61 to U+FF9F, in the single-byte code (0xA1 to
// 0xDF); -1 for any other character.
constexpr int half_width_katakana_byte(long code_point) {
    return code_point >= 0xFF61 && code_point <= 0xFF9F ? static_cast<int>(code_point - 0xFF61 + 0xA1) : -1;
}

// Parses one line of a font source file into the first `rows` row values of a record, as
// strtol reads numbers with base 0, clamped to the 32-bit range. Later row values keep theirs.
void parse_font_line(const char* line, int rows, GlyphRecord& record);

// The first line of a font source file whose glyph is of another size than the one asked
// for: a glyph (any row value not zero) of another number of row values than `rows`, as
// preview counts them (one more than the commas), or a row value wider than the glyph's
// bytes. A line of fewer zeros is a blank glyph, which any size may have.
struct SourceFault {
    int line = 0;           // 1 for the first line; 0 when every line is of the size
    int values = 0;         // the row values on it
    bool too_wide = false;  // a row value is negative or wider than the glyph (else their number)
};

// Reads up to one line for each record of glyphs (8836 of a font source file, 256 of a
// half-width one), line k into record k-1. Records past the end of a short file get zeros in
// their first `rows` values. Returns the number of lines read. With fault, finds the first
// line of another size, a row value wider than width_bits bits being one.
int read_font_source(TextReader& in, int rows, std::span<GlyphRecord> glyphs, SourceFault* fault = nullptr,
                     int width_bits = 32);

// Writes a line of `rows` row values for each record.
void write_font_source(TextWriter& out, std::span<const GlyphRecord> glyphs, int rows);

}  // namespace sorvane
