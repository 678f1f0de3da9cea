// Any bytes as a font image for the firmware reader: refused at open, or read, checked and
// drawn from, with every dot inside the cells of the text and every read inside the image.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "sorvane_font.h"

namespace {

struct Bytes {
    const std::uint8_t* data;
    std::size_t size;
    unsigned long stated;  // once open, the size its header states: nothing past it is read
};

int read_bytes(void* ctx, unsigned long offset, void* buffer, unsigned length) {
    const Bytes& image = *static_cast<const Bytes*>(ctx);
    if (image.stated != 0 && (offset > image.stated || length > image.stated - offset)) std::abort();
    if (offset > image.size || length > image.size - offset) return -1;
    std::memcpy(buffer, image.data + offset, length);
    return 0;
}

struct Line {
    int right;   // no dot at or past it
    int height;  // nor below the cells
};

void plot(void* ctx, int x, int y) {
    if (x < 0 || y < 0 || y >= static_cast<const Line*>(ctx)->height || x >= static_cast<const Line*>(ctx)->right) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes bytes{data, size, 0};
    sorvane_font image;
    if (sorvane_open_image(&image, read_bytes, &bytes) != SORVANE_OK) return 0;
    bytes.stated = image.size;
    sorvane_check_image(&image);
    // A compressed image's models in RAM, one byte short of them first; then its glyphs decoded.
    unsigned char models[2 * 4098];
    if (image.model_bytes > sizeof models) std::abort();
    if (image.model_bytes > 0 && sorvane_image_models(&image, models, image.model_bytes - 1u) == SORVANE_OK) std::abort();
    sorvane_image_models(&image, models, sizeof models);
    sorvane_glyph glyph;
    for (int i = 0; i < image.count && i < 512; ++i) sorvane_glyph_at(&image, i, &glyph);
    for (int b = 0; b < 256; ++b) sorvane_half_glyph(&image, static_cast<unsigned char>(b), &glyph);
    // The last bytes of the input as a text, both ways; the width is known before drawing.
    char text[33] = {};
    std::memcpy(text, data + size - (size < 32 ? size : 32), size < 32 ? size : 32);
    Line line{sorvane_measure_utf8(&image, text), image.height};
    sorvane_target target;
    sorvane_target_plot(&target, plot, &line);
    if (sorvane_draw_utf8(&image, text, 0, 0, &target) != line.right) std::abort();
    line.right = sorvane_measure_sjis(&image, text);
    if (sorvane_draw_sjis(&image, text, 0, 0, &target) != line.right) std::abort();
    return 0;
}
