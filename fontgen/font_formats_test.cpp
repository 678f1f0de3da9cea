// Sorvane's own font readers against FreeType's, on every Japanese bitmap font Debian ships
// at 14, 16 and 24 dots: the same glyph in every cell.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/jis_unicode.h"
#include "fontgen/bdf_import.h"
#include "fontgen/outline_font.h"
#include "fontgen/pcf_import.h"
#include "tests/font_test_support.h"

namespace sorvane {
namespace {

const std::string x11 = "/usr/share/fonts/X11/misc/";

std::vector<std::uint8_t> font_file(const std::string& path) {
    std::vector<std::uint8_t> data = testing::unpacked_file(path);
    if (data.empty()) ADD_FAILURE() << path << ": cannot be read";
    return data;
}

// The cells where two imports differ, the first few named.
std::string differences(const FontImport& a, const GlyphTable& ga, const FontImport& b, const GlyphTable& gb) {
    std::string said;
    int count = 0;
    for (int cell = 0; cell < grid_cells; ++cell) {
        const auto at = static_cast<std::size_t>(cell);
        if (a.placed[at] == b.placed[at] && ga[at] == gb[at]) continue;
        if (++count <= 5) said += " " + std::to_string(code_of(cell));
    }
    return count == 0 ? "" : std::to_string(count) + " cells differ, first at Shift_JIS" + said;
}

class AgainstFreeType : public ::testing::TestWithParam<const char*> {};

TEST_P(AgainstFreeType, SameGlyphInEveryCell) {
    if (!has_freetype()) GTEST_SKIP() << "built without FreeType";
    const std::string path = x11 + GetParam() + ".pcf.gz";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " is not installed";
    const std::vector<std::uint8_t> data = font_file(path);
    auto ours = std::make_unique<GlyphTable>();
    auto theirs = std::make_unique<GlyphTable>();
    for (const BitOrder order : {BitOrder::lsb_left, BitOrder::msb_left}) {
        const FontImport a = read_pcf(data, order, *ours);
        const FontImport b = read_with_freetype(data, 0, 0, order, *theirs);
        ASSERT_EQ(a.error, nullptr) << a.error;
        ASSERT_EQ(b.error, nullptr) << b.error;
        EXPECT_EQ(a.pixel_size, b.pixel_size);
        EXPECT_GT(a.glyphs, 6800);
        EXPECT_EQ(a.glyphs, b.glyphs);
        EXPECT_EQ(differences(a, *ours, b, *theirs), "");
    }
}

INSTANTIATE_TEST_SUITE_P(DebianFonts, AgainstFreeType,
                         ::testing::Values("k14", "jiskan16", "jiskan24",                       // xfonts-base
                                           "shnmk14", "shnmk14b", "shnmk14min", "shnmk16", "shnmk16b",
                                           "shnmk16min",                                        // xfonts-shinonome
                                           "f14", "b14", "f16", "b16", "f24", "b24",          // xfonts-efont-unicode
                                           "unifont"));                                         // xfonts-unifont

TEST(AgainstFreeType, TheBdfReaderToo) {
    const std::string pcf = x11 + "jiskan16.pcf.gz";
    if (!has_freetype() || !std::filesystem::exists(pcf)) GTEST_SKIP() << "no FreeType or no jiskan16";
    testing::TempDir dir;
    const std::string bdf = dir.file("jiskan16.bdf");
    ASSERT_EQ(std::system(("pcf2bdf -o " + testing::quoted(bdf) + " " + pcf).c_str()), 0) << "pcf2bdf (package pcf2bdf)";
    const std::vector<std::uint8_t> data = font_file(bdf);
    auto ours = std::make_unique<GlyphTable>();
    auto theirs = std::make_unique<GlyphTable>();
    TextReader in{std::span<const std::uint8_t>(data)};
    const FontImport a = read_bdf(in, BitOrder::lsb_left, *ours);
    const FontImport b = read_with_freetype(data, 0, 0, BitOrder::lsb_left, *theirs);
    ASSERT_EQ(a.error, nullptr) << a.error;
    ASSERT_EQ(b.error, nullptr) << b.error;
    EXPECT_EQ(differences(a, *ours, b, *theirs), "");
}

TEST(OutlineFonts, IpaGothicCoversTheGridAtEverySize) {
    const std::string path = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";
    if (!has_freetype() || !std::filesystem::exists(path)) GTEST_SKIP() << "no FreeType or no IPA Gothic";
    const std::vector<std::uint8_t> data = font_file(path);
    auto glyphs = std::make_unique<GlyphTable>();
    for (const int size : {14, 16, 24}) {
        const FontImport font = read_with_freetype(data, 0, size, BitOrder::lsb_left, *glyphs);
        ASSERT_EQ(font.error, nullptr) << font.error;
        EXPECT_EQ(font.pixel_size, size);
        EXPECT_EQ(font.cut, 0) << "the em box fills the cell";
        int lacking = 0;
        for (int cell = 0; cell < grid_cells; ++cell) lacking += is_jis_x0208(cell) && !font.placed[static_cast<std::size_t>(cell)];
        EXPECT_EQ(lacking, 0) << size;
        // 漢 has dots in the top and the bottom row band of the cell, none outside it.
        const GlyphRecord& kan = (*glyphs)[static_cast<std::size_t>(cell_of(0x8A, 0xBF))];
        EXPECT_NE(kan[1] | kan[2], 0) << size;
        EXPECT_NE(kan[static_cast<std::size_t>(size - 2)] | kan[static_cast<std::size_t>(size - 3)], 0) << size;
        EXPECT_EQ(kan[static_cast<std::size_t>(size)], 0);
    }
    EXPECT_NE(read_with_freetype(data, 0, 0, BitOrder::lsb_left, *glyphs).error, nullptr) << "an outline font needs a size";
}

TEST(GridPlacer, MovesAGlyphThatFitsInsideAndCutsOnlyALargerOne) {
    auto glyphs = std::make_unique<GlyphTable>();
    FontImport result;
    GridPlacer placer(*glyphs, result, FontEncoding::jis_x0208, 16, 14, BitOrder::lsb_left);
    const std::uint8_t block[4] = {0xF0, 0xF0, 0xF0, 0xF0};  // 4 x 4 dots
    placer.place(0x2121, {4, 4, 14, 16, block, 1});        // 2 dots past the right and above the top
    EXPECT_EQ((*glyphs)[0][0], 0xF000) << "moved to the right edge, in the top row";
    EXPECT_EQ((*glyphs)[0][3], 0xF000);
    const std::uint8_t wide[3 * 1] = {0xFF, 0xFF, 0xC0};   // 18 dots: larger than the cell
    placer.place(0x2122, {18, 1, -1, 1, wide, 3});
    EXPECT_EQ((*glyphs)[1][13], 0xFFFF) << "cut at both edges, in the row of its top";
    EXPECT_EQ(result.cut, 1);
    EXPECT_EQ(result.glyphs, 2);
    placer.place(0x7F7F, {4, 4, 0, 4, block, 1});
    EXPECT_EQ(result.skipped, 1);
}

TEST(GridPlacer, AUnicodeCellTakesItsFirstChoiceOverItsSecond) {
    auto glyphs = std::make_unique<GlyphTable>();
    FontImport result;
    GridPlacer placer(*glyphs, result, FontEncoding::unicode, 16, 14, BitOrder::lsb_left);
    const std::uint8_t one[1] = {0x80}, two[1] = {0xC0};
    const auto wave_dash = static_cast<std::size_t>(cell_of(0x81, 0x60));
    placer.place(0x301C, {1, 1, 0, 14, one, 1});  // JIS X 0208's wave dash, the second choice
    EXPECT_EQ((*glyphs)[wave_dash][0], 1);
    placer.place(0xFF5E, {2, 1, 0, 14, two, 1});  // code page 932's, the first
    placer.place(0x301C, {1, 1, 0, 14, one, 1});
    EXPECT_EQ((*glyphs)[wave_dash][0], 3) << "the first choice stays";
    EXPECT_EQ(result.glyphs, 1);
    EXPECT_EQ(result.duplicates, 0);
    placer.place(0x2235, {1, 1, 0, 14, one, 1});  // ∵, in two cells
    EXPECT_EQ(result.glyphs, 3);
}

TEST(PcfImport, FilesCutShortOrLyingAreRefusedWithTheirPlace) {
    const std::string path = x11 + "jiskan16.pcf.gz";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " is not installed";
    const std::vector<std::uint8_t> whole = font_file(path);
    auto glyphs = std::make_unique<GlyphTable>();
    ASSERT_EQ(read_pcf(whole, BitOrder::lsb_left, *glyphs).error, nullptr);
    // Cut anywhere: refused, or read as far as its tables go; never read past the end.
    for (std::size_t size = 0; size < whole.size(); size += 3001) {
        const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        const FontImport font = read_pcf(cut, BitOrder::lsb_left, *glyphs);
        if (font.error) {
            EXPECT_LE(static_cast<std::size_t>(font.error_place), size + 16) << font.error;
        }
    }
    auto lying = [&](std::size_t at, std::uint32_t value) {
        std::vector<std::uint8_t> data = whole;
        for (int i = 0; i < 4; ++i) data[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
        return read_pcf(data, BitOrder::lsb_left, *glyphs);
    };
    EXPECT_STREQ(lying(4, 1000).error, "the count of tables is not a sensible one");
    const FontImport far = lying(8 + 12, 0x7FFFFFF0);  // the first table's offset
    EXPECT_STREQ(far.error, "a table lies outside the file");
    EXPECT_EQ(far.error_place, 8);
    EXPECT_STREQ(read_pcf(std::vector<std::uint8_t>{'S', 'T'}, BitOrder::lsb_left, *glyphs).error,
                 "not a PCF file: it does not begin with 1fcp");
}

}  // namespace
}  // namespace sorvane
