// The glyph coder against the raw glyphs of every Japanese font the tests have: each glyph,
// full-width and half-width, coded with the model of its font and decoded by the C++ decoder
// and by the firmware's C decoder into a guarded cell, dot for dot; and the bytes a character
// of JIS level 1 takes (key, index, glyph and model) held to the goals.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/jis_unicode.h"
#include "fontgen/glyph_coder.h"
#include "fontgen/outline_font.h"
#include "fontgen/pcf_import.h"
#include "sorvane_unpack.h"
#include "tests/font_test_support.h"

namespace sorvane {
namespace {

const std::string x11 = "/usr/share/fonts/X11/misc/";

// Every glyph of a set coded with its model, decoded both ways into the cell of its stored
// bytes, and compared with that cell; "" when all are equal.
std::string round_trips(std::span<const GlyphRecord> glyphs, const GlyphShape& shape, const std::string& name) {
    const CompressedGlyphs set = compress_glyphs(glyphs, shape);
    const int guard = 8;
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        const std::vector<std::uint8_t>& stored = set.glyphs[i];
        const std::vector<std::uint8_t> raw = cell_bytes(glyphs[i], shape);
        std::vector<std::uint8_t> cell(raw.size() + guard, 0xA5);
        if (stored.size() < raw.size()) {
            if (sorvane_unpack(set.model.data(), stored.data(), static_cast<unsigned>(stored.size()), cell.data(),
                               shape.width, shape.height, shape.band) != SORVANE_OK)
                return name + ": the C decoder refused glyph " + std::to_string(i);
        } else if (stored != raw) {
            return name + ": glyph " + std::to_string(i) + " stored raw is not its cell";
        } else {
            std::copy(raw.begin(), raw.end(), cell.begin());
        }
        if (!std::equal(raw.begin(), raw.end(), cell.begin()) ||
            std::count(cell.end() - guard, cell.end(), 0xA5) != guard)
            return name + ": the C decoder differs at glyph " + std::to_string(i);
        if (decode_glyph(set.model, stored, shape) != glyphs[i])
            return name + ": the C++ decoder differs at glyph " + std::to_string(i);
    }
    return "";
}

TEST(GlyphCoder, EveryGlyphOfEveryFontDecodesAsItsRawCell) {
    struct Font {
        std::string file, half_file;
        int size;  // 0 for a bitmap font's own
        int side, band, half_width;
    };
    const Font fonts[] = {
        {x11 + "k14.pcf.gz", "", 0, 14, 7, 0},
        {x11 + "jiskan16.pcf.gz", x11 + "8x16rk.pcf.gz", 0, 16, 8, 8},
        {x11 + "jiskan24.pcf.gz", x11 + "12x24rk.pcf.gz", 0, 24, 8, 12},
        {"/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf", "", 16, 16, 8, 8},
        {"/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf", "", 24, 24, 8, 12},
    };
    auto glyphs = std::make_unique<GlyphTable>();
    auto half = std::make_unique<HalfTable>();
    for (const Font& f : fonts) {
        const std::vector<std::uint8_t> data = testing::unpacked_file(f.file);
        ASSERT_FALSE(data.empty()) << f.file;
        half->fill({});
        const FontImport font = f.size != 0 ? read_with_freetype(data, 0, f.size, BitOrder::lsb_left, *glyphs, half.get())
                                            : read_pcf(data, BitOrder::lsb_left, *glyphs);
        ASSERT_EQ(font.error, nullptr) << f.file << ": " << font.error;
        if (!f.half_file.empty()) {
            auto ignored = std::make_unique<GlyphTable>();
            ASSERT_EQ(read_pcf(testing::unpacked_file(f.half_file), BitOrder::lsb_left, *ignored, half.get()).error, nullptr);
        }
        std::vector<GlyphRecord> full;
        for (int cell = 0; cell < grid_cells; ++cell)
            if (is_jis_x0208(cell)) full.push_back((*glyphs)[static_cast<std::size_t>(cell)]);
        const std::string name = f.file + " " + std::to_string(f.side);
        EXPECT_EQ(round_trips(full, {f.side, f.side, f.band}, name), "");
        if (f.half_width > 0) {
            std::vector<GlyphRecord> halves;
            for (int code = 0; code < half_codes; ++code)
                if (is_half_width_code(code)) halves.push_back((*half)[static_cast<std::size_t>(code)]);
            EXPECT_NE(std::count(halves.begin(), halves.end(), GlyphRecord{}), static_cast<long>(halves.size())) << name;
            EXPECT_EQ(round_trips(halves, {f.half_width, f.side, 1}, name + " half-width"), "");
        }
    }
}

TEST(GlyphCoder, LevelOneKanjiMeetTheGoalsInBytesACharacter) {
    struct Goal {
        const char* font;
        int side, band;
        double bytes;  // key, index, glyph and model, a character
    };
    for (const Goal& g : {Goal{"k14", 14, 7, 19.0}, Goal{"jiskan16", 16, 8, 21.5}, Goal{"jiskan24", 24, 8, 38.0}}) {
        auto glyphs = std::make_unique<GlyphTable>();
        ASSERT_EQ(read_pcf(testing::unpacked_file(x11 + g.font + ".pcf.gz"), BitOrder::lsb_left, *glyphs).error, nullptr);
        std::vector<GlyphRecord> level1;
        for (int cell = 15 * grid_side; cell < 47 * grid_side; ++cell)
            if (is_jis_x0208(cell)) level1.push_back((*glyphs)[static_cast<std::size_t>(cell)]);
        ASSERT_EQ(level1.size(), 2965u);
        const CompressedGlyphs set = compress_glyphs(level1, {g.side, g.side, g.band});
        EXPECT_LE(compress_glyphs(level1, {g.side, g.side, g.band}, 8).model_bytes, 2 + 256) << "a small model asked for";
        const std::vector<std::uint8_t> cut(set.model.begin(), set.model.end() - 1);
        EXPECT_EQ(decode_glyph(cut, set.glyphs[1], {g.side, g.side, g.band}), GlyphRecord{}) << "a model cut short";
        const double n = static_cast<double>(level1.size());
        const double per_character = (2 * n + static_cast<double>(set.total_bytes())) / n;
        EXPECT_LE(per_character, g.bytes) << g.font << ": key 2, index " << set.index_bytes / n << ", glyph "
                                          << set.glyph_bytes / n << ", model " << set.model_bytes / n;
        // Where each glyph starts and how long it is, from its group's record alone.
        long long start = 0;
        for (std::size_t i = 0; i < set.glyphs.size(); ++i) {
            const std::size_t at = i / glyph_index_group * (glyph_index_group + glyph_index_group_header);
            long long from = set.index[at] | set.index[at + 1] << 8 | set.index[at + 2] << 16;
            for (std::size_t j = i / glyph_index_group * glyph_index_group; j < i; ++j) from += set.index[at + 3 + j % 16];
            ASSERT_EQ(from, start) << g.font << " " << i;
            ASSERT_EQ(set.index[at + 3 + i % 16], set.glyphs[i].size());
            start += static_cast<long long>(set.glyphs[i].size());
        }
    }
}

}  // namespace
}  // namespace sorvane
