// Fonts read through FreeType: TrueType and OpenType fonts (and collections), rendered in
// monochrome or taken from their bitmap strike of the size, and every bitmap font FreeType
// reads itself, which the tests set beside Sorvane's own readers.
#pragma once

#include <cstdint>
#include <span>

#include "fontgen/font_import.h"

namespace sorvane {

// Whether this build reads fonts through FreeType.
bool has_freetype();

// Reads face `face` of a font through FreeType into glyphs, one record per cell index
// (cleared first). An outline font is drawn at `size` dots per em, the em box filling the
// cell: the baseline sits at the em's ascent share of the cell. A bitmap font is read at its
// strike of `size` dots, or its only strike when size is 0. Without FreeType, the error says
// so. With half, the font's half-width glyphs go there.
FontImport read_with_freetype(std::span<const std::uint8_t> data, int face, int size, BitOrder order,
                              GlyphTable& glyphs, HalfTable* half = nullptr);

}  // namespace sorvane
