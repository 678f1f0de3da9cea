// The image of a font for external flash: the same characters, key and half-width glyphs as
// the include file, as little-endian binary tables behind a header that a firmware reads
// one glyph at a time. docs/font-image.md describes every byte.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "fontgen/include_writer.h"

namespace sorvane {

inline constexpr std::array<std::uint8_t, 8> image_magic{'S', 'O', 'R', 'V', 'A', 'N', 'E', 0x1A};
inline constexpr int image_version = 2;
// The header: a fixed part, a directory of the tables, 16 bytes each, and its own CRC-32.
inline constexpr int image_fixed_bytes = 36;
inline constexpr int image_entry_bytes = 16;
constexpr int image_header_bytes(int tables) { return image_fixed_bytes + image_entry_bytes * tables + 4; }

// One table of an image: its tag, the bytes of one of its records, whether a reader that does
// not know the tag must refuse the image, and its bytes.
struct ImageTable {
    std::array<char, 4> tag;
    int record_bytes = 0;
    bool needed = false;
    std::vector<std::uint8_t> bytes;
    int flags = 0;  // the directory's flags besides needed (bit 0)
};

// HPAK's flags: the half-width glyphs it holds.
inline constexpr int image_flag_ascii = 2, image_flag_kana = 4;

// What an image holds: the fixed part of its header, and its tables in their order.
struct ImageContents {
    int count = 0;  // characters
    CodeKey key = CodeKey::sjis;
    int width = 0, height = 0, half_width = 0, band_rows = 0;  // of the cells, in dots
    int glyph_bytes = 0, half_glyph_bytes = 0;
    std::vector<ImageTable> tables;
};

// The contents of the image of a font: the tables of what the summary of the include file
// of the same state counts, with the other key as an index sorted by its codes. Made only in
// a layout whose half-width glyphs are in half.
ImageContents font_image_contents(const KanjiGrid& registered, const GlyphTable& glyphs, const FontKind& font,
                                  const IncludeLayout& layout, const HalfTable* half);

// The bytes of an image of those contents: the header, then the tables one after another.
std::vector<std::uint8_t> image_bytes(const ImageContents& contents);

inline std::vector<std::uint8_t> font_image(const KanjiGrid& registered, const GlyphTable& glyphs, const FontKind& font,
                                            const IncludeLayout& layout, const HalfTable* half) {
    return image_bytes(font_image_contents(registered, glyphs, font, layout, half));
}

// The identity of an image, which the include file made with it names (FONT_IMAGE_CRC): the
// CRC-32 at the end of its header, which covers the CRC-32 of its tables. None when the bytes
// do not begin with a whole header of version 1 or 2 that its CRC-32 holds.
std::optional<std::uint32_t> image_identity(std::span<const std::uint8_t> image);

// The bytes of that image, counted as it is made (with --compress, its sets compressed as
// the image compresses them); tables, where given, gets the bytes of its tables in the fields
// of an include file's summary (the other key's index, twice the include file's, in alt).
long long font_image_size(const KanjiGrid& registered, const GlyphTable& glyphs, const FontKind& font,
                          const IncludeLayout& layout, const HalfTable* half, IncludeSummary* tables = nullptr);

// The size of a raw image, from the summary of its include file: the other key's index takes
// twice the include file's table (a code and a place for each character), and is left out
// with no character, as the half-width tables are when not asked for.
constexpr long long font_image_bytes(const IncludeSummary& summary) {
    const bool ascii = summary.half_glyphs == ascii_count || summary.half_glyphs == ascii_count + kana_count;
    const bool kana = summary.half_glyphs == kana_count || summary.half_glyphs == ascii_count + kana_count;
    const int tables = 2 + (summary.alt_table_bytes > 0 ? 1 : 0) + (ascii ? 1 : 0) + (kana ? 1 : 0);
    return image_header_bytes(tables) + summary.total_bytes() + summary.alt_table_bytes;
}

}  // namespace sorvane
