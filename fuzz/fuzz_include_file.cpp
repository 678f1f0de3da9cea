// Any bytes as an include file to preview: refused or read, and the picture of what was
// read stays within its pixels.
#include <cstdlib>
#include <string_view>

#include "fontgen/preview.h"

using namespace sorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const IncludeFont font = read_include_file(std::string_view(reinterpret_cast<const char*>(data), size));
    if (font.error) return 0;
    if (font.codes.size() != font.glyphs.size() || font.codes.size() > 8836) std::abort();
    const Picture picture = draw_preview(font, size % 2 ? BitOrder::msb_left : BitOrder::lsb_left);
    if (picture.gray.size() != static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height))
        std::abort();
    return 0;
}
