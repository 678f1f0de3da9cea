// Glyphs compressed one at a time: a static-context binary arithmetic coder. Each dot is coded
// with a probability looked up by the dots already decoded around it (a context template of a
// few dots of the same row to its left and of the two rows above), from a table made from the
// whole set of glyphs and stored once with the font. A glyph is decoded on its own, from its
// bytes and the model, into the cell of its stored bytes (firmware/sorvane_unpack.c).
//
// The model's bytes (firmware/sorvane_unpack.h tells them bit by bit): a header of two bytes,
// then the table of 2^bits chances.
//   byte 0: bits (the context's size, 4 to 12 here) in bits 0-3; how far the row above looks
//           to the right of the dot (0 to 3) in bits 4-5; the row two above, in bits 6-7.
//   byte 1: where the dots of the same row start in the context (bits 0-3); where the row two
//           above's start (bits 4-7). The row above's fill the context from bit 0.
//   table:  for each context, the chance that the dot is clear, in 256ths (1 to 255).
// A glyph's bytes: the coder's output, its bits from the top bit of the first byte, the
// trailing zero bytes left off (a decoder reads zeros past the end). A glyph whose code would
// take as many bytes as its cell or more is stored raw, as its cell's bytes: the length tells
// which it is.
//
// The index of a set of glyphs: a group record for each 16 glyphs, one after another, each of
// 3 + 16 bytes: where the group's first glyph starts (3 bytes, little-endian, from the first
// glyph's byte), then each glyph's length in bytes (one byte: a glyph is never longer than its
// raw cell, at most 128 bytes). The last group's record is cut after its last glyph. A reader
// learns where glyph i starts and how long it is in one read: record i / 16, up to length i.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "fontgen/font_source.h"

namespace sorvane {

// Which dots around a dot its context holds: `left` dots of its own row to its left; of the
// row above, the dots from up_left to its left to up_right to its right; of the row two above,
// up2_left to up2_right (none when up2_left is -1).
struct ContextTemplate {
    int left, up_left, up_right, up2_left, up2_right;
    constexpr int bits() const { return left + up_left + up_right + 1 + (up2_left < 0 ? 0 : up2_left + up2_right + 1); }
};

// The templates a set of glyphs is tried with, smallest first.
std::span<const ContextTemplate> context_templates();

inline constexpr int glyph_coder_header_bytes = 2;
inline constexpr int glyph_index_group = 16;
inline constexpr int glyph_index_group_header = 3;

// A glyph's geometry: dots, and the rows of its stored cell's bands (1 for half-width).
struct GlyphShape {
    int width = 16, height = 16, band = 8;
    constexpr int row_bytes() const { return (width + 7) / 8; }
    // The bytes of its cell: whole bands of rows.
    constexpr int cell_bytes() const { return (height + band - 1) / band * band * row_bytes(); }
};

// The model of a set of glyphs (bit x of row value r is dot x of row r) with a template: the
// header and the table of chances counted over them.
std::vector<std::uint8_t> make_glyph_model(const ContextTemplate& t, std::span<const GlyphRecord> glyphs,
                                           const GlyphShape& shape);

// The coder's output for one glyph, the trailing zero bytes left off.
std::vector<std::uint8_t> encode_glyph(std::span<const std::uint8_t> model, const GlyphRecord& glyph,
                                       const GlyphShape& shape);

// The bytes of a glyph's cell, as the include file and the image store it (sorvane_cell.h).
std::vector<std::uint8_t> cell_bytes(const GlyphRecord& glyph, const GlyphShape& shape);

// What a glyph is stored as: its code, or its cell's bytes when the code is no shorter.
std::vector<std::uint8_t> stored_glyph(std::span<const std::uint8_t> model, const GlyphRecord& glyph,
                                       const GlyphShape& shape);

// The glyph of stored bytes (code or raw cell, by its length); bytes past the end read as zero.
// A shape past 32 dots, or a model of no bits or shorter than its table, gives a blank glyph.
GlyphRecord decode_glyph(std::span<const std::uint8_t> model, std::span<const std::uint8_t> bytes,
                         const GlyphShape& shape);

// The index of glyphs of these lengths, in the form above.
std::vector<std::uint8_t> glyph_index(std::span<const int> lengths);

// A set of glyphs compressed: the model, each glyph's stored bytes, the index, and their bytes.
struct CompressedGlyphs {
    std::vector<std::uint8_t> model;
    std::vector<std::vector<std::uint8_t>> glyphs;
    std::vector<std::uint8_t> index;
    long long model_bytes = 0, glyph_bytes = 0, index_bytes = 0;
    long long total_bytes() const { return model_bytes + glyph_bytes + index_bytes; }
};

// The glyphs compressed with the template that makes the fewest bytes in all (the first of
// those on a tie), of at most max_bits (a reader that keeps the model in RAM may want a
// small one: 2 + 2^bits bytes): the same glyphs give the same bytes.
CompressedGlyphs compress_glyphs(std::span<const GlyphRecord> glyphs, const GlyphShape& shape, int max_bits = 12);

// Only the bytes compress_glyphs would make: model, glyphs and index.
long long compressed_bytes(std::span<const GlyphRecord> glyphs, const GlyphShape& shape, int max_bits = 12);

}  // namespace sorvane
