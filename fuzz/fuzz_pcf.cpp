// Any bytes as a PCF font to import: refused or read, never a read outside the file nor a dot
// outside the cell.
#include <cstdlib>

#include "fontgen/pcf_import.h"
#include "fuzz/fuzz_support.h"

using namespace sorvane;

namespace {
GlyphTable glyphs;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const BitOrder order = size > 0 && (data[size - 1] & 1) ? BitOrder::msb_left : BitOrder::lsb_left;
    const FontImport font = read_pcf(std::span<const std::uint8_t>(data, size), order, glyphs);
    if (font.error) return 0;
    fuzzing::check_imported(font, glyphs);
    return 0;
}
