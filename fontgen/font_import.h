// What fonts of every format come to: glyph bitmaps placed in the cells of the grid they
// stand for, and an account of what was placed, skipped, replaced and cut.
#pragma once

#include <bitset>
#include <cstdint>
#include <span>
#include <string_view>

#include "core/kanji_grid.h"
#include "fontgen/font_source.h"

namespace sorvane {

// How row values hold the dots: bit x is dot x from the left (lsb_left, the default), or
// each group of 8 dots mirrored so that the leftmost is a byte's top bit (msb_left).
enum class BitOrder { lsb_left, msb_left };

// How a font numbers its characters: JIS X 0208 by its two-byte code, JIS X 0201 (the
// half-width companions) by its byte, or Unicode.
enum class FontEncoding { jis_x0208, jis_x0201, unicode };

// One glyph's bitmap as a font holds it: rows from the top, each pitch bytes, the leftmost
// dot in the top bit of the first byte.
struct GlyphBitmap {
    int width = 0;
    int height = 0;
    int left = 0;  // dots from the origin to the bitmap's left edge
    int top = 0;   // dots from the baseline up to the bitmap's top edge
    const std::uint8_t* rows = nullptr;
    int pitch = 0;
};

// What an import made of a font.
struct FontImport {
    int pixel_size = 0;        // 14, 16 or 24 once known
    int glyphs = 0;            // cells given a glyph
    int half_glyphs = 0;       // half-width codes given a glyph
    int skipped = 0;           // glyphs of characters outside the grid
    int duplicates = 0;        // glyphs for a cell an earlier glyph of the same character had; the later is kept
    long first_duplicate = 0;  // the character code of the first of them
    int cut = 0;               // glyphs larger than the cell, cut at its edges
    std::bitset<grid_cells> placed;  // the cells given a glyph
    const char* error = nullptr;     // why the font was refused; null when it was read
    long error_place = 0;            // where: a line of a text font, a byte offset of a binary one
    bool place_is_offset = false;
};

// Puts glyphs into the cells they stand for, and half-width ones (printable ASCII and the
// half-width katakana, by byte in a JIS X 0201 font, at U+0020 to U+007E and U+FF61 to U+FF9F
// in a Unicode one) into a half-width table, when given one, in a cell half as wide. A Unicode font's glyph goes to every cell whose
// character it is (code page 932's first, JIS X 0208's own second: a cell takes the second
// only while it has no first). Row 0 of a cell is the font's ascent line; a glyph that fits
// the cell but stands partly outside it is moved inside, and only a glyph larger than the
// cell is cut.
class GridPlacer {
public:
    GridPlacer(GlyphTable& glyphs, FontImport& result, FontEncoding encoding, int side, int ascent, BitOrder order,
               HalfTable* half = nullptr);

    // Places the glyph of character code; a code that stands for no cell is counted skipped.
    void place(long code, const GlyphBitmap& bitmap);

private:
    void draw(GlyphRecord& record, int width, const GlyphBitmap& bitmap);
    bool place_half(long code, const GlyphBitmap& bitmap);

    GlyphTable& glyphs_;
    FontImport& result_;
    FontEncoding encoding_;
    int side_;
    int ascent_;
    BitOrder order_;
    HalfTable* half_;
    std::bitset<grid_cells> by_second_;  // cells holding a second-choice glyph
    std::bitset<half_codes> half_placed_;
};

// How a bitmap font's CHARSET_REGISTRY numbers its characters: JISX0208 (.1978, .1983 or
// .1990) by JIS code, JISX0201 by byte, ISO10646 by Unicode; false for any other registry.
bool encoding_of_registry(std::string_view registry, FontEncoding& encoding);

// Why a font of another registry is refused.
inline constexpr const char* not_japanese_reason =
    "the font is not a JIS X 0208 font (its CHARSET_REGISTRY is not JISX0208), nor a Unicode one (ISO10646)";

// What a font file is, by its first bytes.
enum class FontFormat { bdf, pcf, outline, unknown };
FontFormat font_format_of(std::span<const std::uint8_t> data);

// The cell of a JIS X 0208 code (0x2121 to 0x7E7E), or -1.
int cell_of_jis(long code);

// The half-width byte a character of a font stands for, or -1.
int half_code_of(long code, FontEncoding encoding);

}  // namespace sorvane
