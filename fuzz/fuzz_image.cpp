// Any bytes as a font image for the firmware reader: refused at open, or read, checked and
// drawn from, with every dot inside the cells of the text and every read inside the image.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "sorvane_image.h"

namespace {

struct Bytes {
    const std::uint8_t* data;
    std::size_t size;
};

int read_bytes(void* ctx, unsigned long offset, void* buffer, unsigned length) {
    const Bytes& image = *static_cast<const Bytes*>(ctx);
    if (offset > image.size || length > image.size - offset) return -1;
    std::memcpy(buffer, image.data + offset, length);
    return 0;
}

struct Line {
    int right;  // no dot at or past it
};

void plot(void* ctx, int x, int y) {
    if (x < 0 || y < 0 || y >= 24 || x >= static_cast<const Line*>(ctx)->right) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes bytes{data, size};
    sorvane_image image;
    if (sorvane_open_image(&image, read_bytes, &bytes) != SORVANE_IMAGE_OK) return 0;
    sorvane_check_image(&image);
    sorvane_glyph glyph;
    for (int i = 0; i < image.count && i < 512; ++i) sorvane_image_glyph_at(&image, i, &glyph);
    for (int b = 0; b < 256; ++b) sorvane_image_half_glyph(&image, static_cast<unsigned char>(b), &glyph);
    // The last bytes of the input as a text, both ways; the width is known before drawing.
    char text[33] = {};
    std::memcpy(text, data + size - (size < 32 ? size : 32), size < 32 ? size : 32);
    Line line{sorvane_image_draw_utf8(&image, text, 0, 0, nullptr, nullptr)};
    if (sorvane_image_draw_utf8(&image, text, 0, 0, plot, &line) != line.right) std::abort();
    line.right = sorvane_image_draw_sjis(&image, text, 0, 0, nullptr, nullptr);
    sorvane_image_draw_sjis(&image, text, 0, 0, plot, &line);
    return 0;
}
