// Any bytes as a compressed glyph for the firmware's decoder: its shape, its model and its
// code all from the input, each in a buffer of exactly its size (ASan catches a step past
// one). The decoder refuses only a model of no bits; it writes only its cell, every row's
// bytes with no dot past the width, ends, and gives the same cell a second time.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "sorvane_unpack.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5) return 0;
    const int width = data[0] % 32 + 1, height = data[1] % 32 + 1, band = data[2] % height + 1;
    data += 3;
    size -= 3;
    // The model: its header from the input, its table from what follows, zeros past the end.
    std::vector<unsigned char> model(SORVANE_UNPACK_MODEL_BYTES(data[0]));
    std::memcpy(model.data(), data, size < model.size() ? size : model.size());
    const std::size_t used = size < model.size() ? size : model.size();
    std::vector<unsigned char> code(data + used, data + size);
    const std::size_t cell_bytes = SORVANE_UNPACK_CELL_BYTES(width, height, band);
    std::vector<unsigned char> cell(cell_bytes, 0xA5), again(cell_bytes, 0x5A);
    // Only a model of no bits is refused, and before it writes anything.
    if (sorvane_unpack(model.data(), code.data(), static_cast<unsigned>(code.size()), cell.data(), width, height, band) !=
        SORVANE_OK) {
        if ((model[0] & 15) != 0 || cell != std::vector<unsigned char>(cell_bytes, 0xA5)) std::abort();
        return 0;
    }
    sorvane_unpack(model.data(), code.data(), static_cast<unsigned>(code.size()), again.data(), width, height, band);
    const int parts = (width + 7) / 8;
    for (int r = 0; r < height; ++r)
        for (int p = 0; p < parts; ++p) {
            const std::size_t at = static_cast<std::size_t>(r / band * band * parts + p * band + r % band);
            if (cell[at] != again[at]) std::abort();
            if (p == parts - 1 && width % 8 != 0 && (cell[at] >> (width % 8)) != 0) std::abort();
        }
    return 0;
}
