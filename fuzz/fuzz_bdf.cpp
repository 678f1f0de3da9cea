// Any bytes as a BDF font to import: refused or read, never a dot outside the cell.
#include <cstdlib>

#include "fontgen/bdf_import.h"
#include "fuzz/fuzz_support.h"

using namespace sorvane;

namespace {
GlyphTable glyphs;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::MemoryFile f(data, size);
    std::uint8_t buffer[4096];
    TextReader in(f.file, buffer);
    const BitOrder order = size > 0 && (data[size - 1] & 1) ? BitOrder::msb_left : BitOrder::lsb_left;
    const FontImport font = read_bdf(in, order, glyphs);
    if (font.error) return 0;
    if (font.pixel_size != 14 && font.pixel_size != 16 && font.pixel_size != 24) std::abort();
    // Rows past the font are empty; a row holds no more bytes than its dots need.
    const int row_bits = (font.pixel_size + 7) / 8 * 8;
    for (const GlyphRecord& g : glyphs) {
        for (int r = 0; r < glyph_rows_max; ++r) {
            const auto row = static_cast<std::uint32_t>(g[static_cast<std::size_t>(r)]);
            if (r >= font.pixel_size ? row != 0 : (row >> row_bits) != 0) std::abort();
        }
    }
    return 0;
}
