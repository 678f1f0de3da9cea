// The image of a font for external flash: the same characters, key and half-width glyphs as
// the include file, as little-endian binary tables behind a header that a firmware reads
// one glyph at a time. docs/font-image.md describes every byte.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "fontgen/include_writer.h"

namespace sorvane {

inline constexpr std::array<std::uint8_t, 8> image_magic{'S', 'O', 'R', 'V', 'A', 'N', 'E', 0x1A};
inline constexpr int image_version = 1;
inline constexpr int image_header_bytes = 56;

// The bytes of an image: the header and the tables of what the summary of the include file
// of the same state counts. Made only in a layout whose half-width glyphs are in half.
std::vector<std::uint8_t> font_image(const KanjiGrid& registered, const GlyphTable& glyphs, const FontKind& font,
                                     const IncludeLayout& layout, const HalfTable* half);

// The size of that image, from the summary of its include file.
constexpr long long font_image_bytes(const IncludeSummary& summary) { return image_header_bytes + summary.total_bytes(); }

}  // namespace sorvane
