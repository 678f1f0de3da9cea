// Font source files made from bitmap fonts of JIS X 0208 in BDF, such as the X11 fonts
// k14, jiskan16 and jiskan24.
#pragma once

#include <array>

#include "core/kanji_grid.h"
#include "core/text_stream.h"
#include "fontgen/font_source.h"

namespace sorvane {

// Which bit of a row value holds which dot.
enum class BitOrder {
    lsb_left,  // bit x is the x-th dot from the left
    msb_left,  // each group of 8 dots mirrored: the leftmost dot of a byte is its top bit
};

struct BdfImport {
    int pixel_size = 0;       // 14, 16 or 24 once the header has been read
    int glyphs = 0;           // glyphs placed on the grid
    int skipped = 0;          // glyphs whose encoding is no JIS X 0208 position
    int duplicates = 0;       // glyphs at a position an earlier glyph had; the later one is kept
    long first_duplicate = 0; // the JIS code of the first of them
    const char* error = nullptr;  // why the font was refused; null when it was read
    int error_line = 0;       // the line of the file the error was found at
};

// Reads a BDF font into glyphs, one record per cell index (cleared first): row value r holds
// dot row r from the top in the given bit order. glyphs counts positions, not glyphs: a glyph
// at a position an earlier one had replaces it and is counted in duplicates. Refuses a file that is not BDF, not
// JIS X 0208, not 14, 16 or 24 dots high, or cut short.
BdfImport read_bdf(TextReader& in, BitOrder order, GlyphTable& glyphs);

// Writes a font source file: 8836 lines of `rows` comma-separated decimal values.
void write_font_source(TextWriter& out, const GlyphTable& glyphs, int rows);

}  // namespace sorvane
