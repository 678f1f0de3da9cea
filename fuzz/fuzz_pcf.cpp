// Any bytes as a PCF font to import: refused or read, never a read outside the file nor a dot
// outside the cell.
#include <cstdlib>

#include "fontgen/pcf_import.h"

using namespace sorvane;

namespace {
GlyphTable glyphs;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const BitOrder order = size > 0 && (data[size - 1] & 1) ? BitOrder::msb_left : BitOrder::lsb_left;
    const FontImport font = read_pcf(std::span<const std::uint8_t>(data, size), order, glyphs);
    if (font.error) return 0;
    if (font.pixel_size != 14 && font.pixel_size != 16 && font.pixel_size != 24) std::abort();
    const int row_bits = (font.pixel_size + 7) / 8 * 8;
    for (const GlyphRecord& g : glyphs) {
        for (int r = 0; r < glyph_rows_max; ++r) {
            const auto row = static_cast<std::uint32_t>(g[static_cast<std::size_t>(r)]);
            if (r >= font.pixel_size ? row != 0 : (row >> row_bits) != 0) std::abort();
        }
    }
    return 0;
}
