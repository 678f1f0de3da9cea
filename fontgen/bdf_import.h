// Font source files made from bitmap fonts in BDF, of JIS X 0208 (the X11 fonts k14,
// jiskan16 and jiskan24) or of Unicode.
#pragma once

#include "core/text_stream.h"
#include "fontgen/font_import.h"
#include "fontgen/font_source.h"

namespace sorvane {

// Reads a BDF font into glyphs, one record per cell index (cleared first): row value r holds
// dot row r from the top in the given bit order. Refuses a file that is not BDF, neither
// JIS X 0208 nor Unicode, not 14, 16 or 24 dots high, or cut short; the error's place is a
// line.
// With half, the font's half-width glyphs go there.
FontImport read_bdf(TextReader& in, BitOrder order, GlyphTable& glyphs, HalfTable* half = nullptr);


}  // namespace sorvane
