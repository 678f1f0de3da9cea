// Font source files: one line of comma-separated row values for each of the 8836 grid
// positions.
#pragma once

#include <array>
#include <cstdint>

#include "core/kanji_grid.h"
#include "core/text_stream.h"

namespace sorvane {

inline constexpr int glyph_rows_max = 32;

// Row values of one glyph; a font of N dot rows fills values 0 to N-1, one dot row each.
using GlyphRecord = std::array<std::int32_t, glyph_rows_max>;

// One record per cell index.
using GlyphTable = std::array<GlyphRecord, grid_cells>;

// Parses one line of a font source file into the first `rows` row values of a record, as
// strtol reads numbers with base 0, clamped to the 32-bit range. Later row values keep theirs.
void parse_font_line(const char* line, int rows, GlyphRecord& record);

// Reads up to 8836 lines into glyphs, line k into record k-1. Records past the end of a short
// file get zeros in their first `rows` values. Returns the number of lines read.
int read_font_source(TextReader& in, int rows, GlyphTable& glyphs);

}  // namespace sorvane
