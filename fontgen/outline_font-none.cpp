#include "fontgen/outline_font.h"

namespace sorvane {

bool has_freetype() { return false; }

FontImport read_with_freetype(std::span<const std::uint8_t>, int, int, BitOrder, GlyphTable& glyphs, HalfTable*) {
    for (GlyphRecord& g : glyphs) g.fill(0);
    FontImport result;
    result.error = "this build of Sorvane reads no outline fonts (TrueType, OpenType): it was made without FreeType; "
                   "BDF and PCF fonts it reads";
    return result;
}

}  // namespace sorvane
