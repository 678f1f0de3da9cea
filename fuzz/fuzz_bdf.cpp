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
    fuzzing::check_imported(font, glyphs);
    return 0;
}
