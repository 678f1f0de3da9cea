// Writes a C header of a sample of compressed glyphs for the decoder's benchmark on small
// machines (bench/glyph-decoder-bench.sh): the model of the kanji of JIS level 1 of an X11
// font, every step-th glyph's code, and the cell each must decode to.
//   glyph_decoder_sample FONT.pcf.gz SIDE BAND STEP > glyphs.h
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "core/jis_unicode.h"
#include "fontgen/glyph_coder.h"
#include "fontgen/pcf_import.h"

#include <zlib.h>

// The bytes of a font file, unpacked.
static std::vector<std::uint8_t> unpacked(const char* path) {
    std::vector<std::uint8_t> data;
    gzFile gz = gzopen(path, "rb");
    if (!gz) return data;
    std::uint8_t block[1 << 16];
    for (int n; (n = gzread(gz, block, sizeof block)) > 0;) data.insert(data.end(), block, block + n);
    gzclose(gz);
    return data;
}

int main(int argc, char** argv) {
    using namespace sorvane;
    if (argc != 5) return 2;
    const GlyphShape shape{std::atoi(argv[2]), std::atoi(argv[2]), std::atoi(argv[3])};
    const std::size_t step = static_cast<std::size_t>(std::atoi(argv[4]));
    auto glyphs = std::make_unique<GlyphTable>();
    if (read_pcf(unpacked(argv[1]), BitOrder::lsb_left, *glyphs).error) return 1;
    std::vector<GlyphRecord> level1;
    for (int cell = 15 * grid_side; cell < 47 * grid_side; ++cell)
        if (is_jis_x0208(cell)) level1.push_back((*glyphs)[static_cast<std::size_t>(cell)]);
    const CompressedGlyphs set = compress_glyphs(level1, shape);
    const auto bytes = [](const char* name, const char* flash, const std::vector<std::uint8_t>& b) {
        std::printf("static const unsigned char %s[] %s = {", name, flash);
        for (std::size_t i = 0; i < b.size(); ++i) std::printf("%s%s%u", i ? "," : "", i % 24 ? "" : "\n", b[i]);
        std::printf("};\n");
    };
    std::vector<std::uint8_t> codes, cells, starts;
    int count = 0;
    for (std::size_t i = 0; i < level1.size(); i += step, ++count) {
        const std::vector<std::uint8_t>& code = set.glyphs[i];
        if (code.size() >= static_cast<std::size_t>(shape.cell_bytes())) return 1;  // raw: not the decoder's
        starts.push_back(static_cast<std::uint8_t>(code.size()));
        codes.insert(codes.end(), code.begin(), code.end());
        const std::vector<std::uint8_t> cell = cell_bytes(level1[i], shape);
        cells.insert(cells.end(), cell.begin(), cell.end());
    }
    std::printf("#define WIDTH %d\n#define HEIGHT %d\n#define BAND %d\n#define GLYPHS %d\n#define CELL %d\n", shape.width,
                shape.height, shape.band, count, shape.cell_bytes());
    bytes("model", "SORVANE_FONT_FLASH", set.model);
    bytes("lengths", "", starts);
    bytes("codes", "", codes);
    bytes("cells", "SORVANE_FONT_FLASH", cells);
    return 0;
}
