// Sorvane's own font readers against FreeType's, on every Japanese bitmap font Debian ships
// at 14, 16 and 24 dots: the same glyph in every cell.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cli/font_file.h"
#include "core/jis_unicode.h"
#include "fontgen/bdf_import.h"
#include "fontgen/outline_font.h"
#include "fontgen/pcf_import.h"
#include "tests/test_support.h"

namespace sorvane {
namespace {

const std::string x11 = "/usr/share/fonts/X11/misc/";

std::vector<std::uint8_t> font_file(const std::string& path) {
    std::vector<std::uint8_t> data;
    std::string reason;
    if (!cli::read_font_file(path.c_str(), data, reason)) ADD_FAILURE() << path << ": " << reason;
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

}  // namespace
}  // namespace sorvane
