// Font source files made from bitmap fonts in PCF, the X11 server's compiled form of BDF, of
// JIS X 0208 or of Unicode. The data is the whole file, uncompressed.
#pragma once

#include <cstdint>
#include <span>

#include "fontgen/font_import.h"

namespace sorvane {

// Whether the data starts as a PCF file does.
bool is_pcf(std::span<const std::uint8_t> data);

// Reads a PCF font into glyphs, one record per cell index (cleared first), as read_bdf reads
// a BDF one. Refuses a file whose tables lie about their sizes, counts or offsets; the
// error's place is a byte offset.
FontImport read_pcf(std::span<const std::uint8_t> data, BitOrder order, GlyphTable& glyphs, HalfTable* half = nullptr);

}  // namespace sorvane
