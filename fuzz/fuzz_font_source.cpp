// Any bytes as a font source file of any of the three fonts: reading must keep within the
// glyph store and never write past the font's rows.
#include <cstdlib>

#include "fontgen/font_source.h"
#include "fontgen/font_table.h"
#include "fuzz/fuzz_support.h"

using namespace sorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const FontKind& kind = font_table[data[0] % font_table.size()];
    static GlyphTable glyph_store;
    for (GlyphRecord& r : glyph_store) r[glyph_rows_max - 1] = 12345;
    fuzzing::MemoryFile f(data + 1, size - 1);
    std::uint8_t buffer[257];
    TextReader in(f.file, buffer);
    const int lines = read_font_source(in, kind.dots, glyph_store);
    if (lines < 0 || lines > grid_cells) std::abort();
    for (const GlyphRecord& r : glyph_store)
        if (r[glyph_rows_max - 1] != 12345) std::abort();
    return 0;
}
