// Sorvane's own font readers and its FreeType reading against an independent reading of the
// BDF text, on every Japanese bitmap font Debian ships at 14, 16 and 24 dots: the same glyph
// in every cell.
#include <gtest/gtest.h>

#include <iconv.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
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

// An independent reading of an X11 font, to hold the readers to: its BDF text (pcf2bdf) read
// here, each glyph placed by the BDF's own numbers with none of the project's code: row 0 is
// FONT_ASCENT's line, a glyph that fits the cell is moved inside it, the cell found by the
// arithmetic of JIS X 0208 and Shift_JIS (a JIS font), or for a Unicode font as iconv reads
// the cell's Shift_JIS code: code page 932's character, else JIS X 0208's.
struct Reference {
    int side = 0;
    std::map<int, std::vector<std::string>> cells;  // rows of '#' and '.'
};

int cell_of_sjis(int lead, int trail) { return (lead - (lead < 0xE0 ? 0x81 : 0xC1)) * 188 + trail - 0x40 - (trail > 0x7F); }

long decoded(const char* encoding, int lead, int trail) {
    iconv_t cd = iconv_open("UTF-32LE", encoding);
    char in_bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    std::uint8_t out_bytes[8] = {};
    char *in = in_bytes, *out = reinterpret_cast<char*>(out_bytes);
    std::size_t in_left = 2, out_left = 8;
    const bool one = iconv(cd, &in, &in_left, &out, &out_left) != static_cast<std::size_t>(-1) && out_left == 4;
    iconv_close(cd);
    return one ? out_bytes[0] | out_bytes[1] << 8 | out_bytes[2] << 16 : -1;
}

Reference read_reference(const std::string& pcf) {
    testing::TempDir dir;
    const std::string bdf = dir.file("font.bdf");
    EXPECT_EQ(std::system(("pcf2bdf -o " + testing::quoted(bdf) + " " + pcf).c_str()), 0) << "pcf2bdf (package pcf2bdf)";
    std::istringstream text(testing::read_file(bdf));
    Reference r;
    std::map<long, std::vector<std::string>> glyphs;
    std::string line, word, registry;
    long ascent = 0, code = -1, w = 0, h = 0, left = 0, bottom = 0;
    while (std::getline(text, line)) {
        std::istringstream words(line);
        words >> word;
        if (word == "PIXEL_SIZE") words >> r.side;
        else if (word == "FONT_ASCENT") words >> ascent;
        else if (word == "CHARSET_REGISTRY") words >> registry;
        else if (word == "ENCODING") words >> code;
        else if (word == "BBX") words >> w >> h >> left >> bottom;
        else if (word == "BITMAP") {
            std::vector<std::string> rows(static_cast<std::size_t>(r.side), std::string(static_cast<std::size_t>(r.side), '.'));
            const long x0 = w > r.side ? left : std::clamp(left, 0L, r.side - w);
            const long y0 = h > r.side ? ascent - bottom - h : std::clamp(ascent - bottom - h, 0L, r.side - h);
            for (long y = 0; y < h && std::getline(text, line); ++y) {
                const unsigned long bits = std::stoul(line, nullptr, 16), last = line.size() * 4 - 1;  // MSB leftmost
                for (long x = 0; x < w; ++x)
                    if (y0 + y >= 0 && y0 + y < r.side && x0 + x >= 0 && x0 + x < r.side && (bits >> (last - static_cast<unsigned long>(x)) & 1))
                        rows[static_cast<std::size_t>(y0 + y)][static_cast<std::size_t>(x0 + x)] = '#';
            }
            glyphs[code] = rows;
        }
    }
    const bool jis = registry.find("JISX0208") != std::string::npos;
    for (const auto& [c, rows] : glyphs) {
        const long j1 = c >> 8, j2 = c & 0xFF;
        if (jis && j1 >= 0x21 && j1 <= 0x7E && j2 >= 0x21 && j2 <= 0x7E)
            r.cells[cell_of_sjis(static_cast<int>((j1 + 1) / 2 + (j1 <= 0x5E ? 0x70 : 0xB0)),
                                 static_cast<int>(j2 + (j1 % 2 ? (j2 >= 0x60 ? 0x20 : 0x1F) : 0x7E)))] = rows;
    }
    for (int lead = 0x81; lead <= 0xEF && !jis; lead += lead == 0x9F ? 0x41 : 1)
        for (int trail = 0x40; trail <= 0xFC; trail += trail == 0x7E ? 2 : 1) {
            auto found = glyphs.find(decoded("CP932", lead, trail));
            if (found == glyphs.end()) found = glyphs.find(decoded("SHIFT_JIS", lead, trail));
            if (found != glyphs.end()) r.cells[cell_of_sjis(lead, trail)] = found->second;
        }
    return r;
}

// The cells where an import differs from the reference, the first few named by Shift_JIS code.
std::string differences(const Reference& want, const FontImport& font, const GlyphTable& glyphs, BitOrder order) {
    std::string said;
    int count = 0;
    for (int cell = 0; cell < grid_cells; ++cell) {
        const auto at = static_cast<std::size_t>(cell);
        const auto reference = want.cells.find(cell);
        std::vector<std::string> rows(static_cast<std::size_t>(want.side), std::string(static_cast<std::size_t>(want.side), '.'));
        for (int y = 0; y < want.side; ++y)
            for (int x = 0; x < want.side; ++x) {
                const int bit = order == BitOrder::lsb_left ? x : x / 8 * 8 + 7 - x % 8;
                if (static_cast<std::uint32_t>(glyphs[at][static_cast<std::size_t>(y)]) >> bit & 1)
                    rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = '#';
            }
        if (font.placed[at] == (reference != want.cells.end()) && (!font.placed[at] || rows == reference->second)) continue;
        if (++count <= 5) said += " " + std::to_string(cell) + (font.placed[at] ? "" : " (not placed)");
    }
    return count == 0 ? "" : std::to_string(count) + " cells differ, first at cells" + said;
}

class AgainstBdfText : public ::testing::TestWithParam<const char*> {};

TEST_P(AgainstBdfText, PcfAndFreeTypeReadersPlaceEveryGlyph) {
    const std::string path = x11 + GetParam() + ".pcf.gz";
    const std::vector<std::uint8_t> data = font_file(path);
    const Reference want = read_reference(path);
    ASSERT_GT(want.cells.size(), 6800u);
    auto glyphs = std::make_unique<GlyphTable>();
    for (const BitOrder order : {BitOrder::lsb_left, BitOrder::msb_left}) {
        const FontImport a = read_pcf(data, order, *glyphs);
        ASSERT_EQ(a.error, nullptr) << a.error;
        EXPECT_EQ(a.pixel_size, want.side);
        EXPECT_EQ(differences(want, a, *glyphs, order), "") << "PCF";
        if (!has_freetype()) continue;  // a build without FreeType
        const FontImport b = read_with_freetype(data, 0, 0, order, *glyphs);
        ASSERT_EQ(b.error, nullptr) << b.error;
        EXPECT_EQ(differences(want, b, *glyphs, order), "") << "FreeType";
    }
}

INSTANTIATE_TEST_SUITE_P(DebianFonts, AgainstBdfText,
                         ::testing::Values("k14", "jiskan16", "jiskan24",                       // xfonts-base
                                           "shnmk14", "shnmk14b", "shnmk14min", "shnmk16", "shnmk16b",
                                           "shnmk16min",                                        // xfonts-shinonome
                                           "f14", "b14", "f16", "b16", "f24", "b24",          // xfonts-efont-unicode
                                           "unifont"));                                         // xfonts-unifont

TEST(AgainstBdfText, TheBdfReaderToo) {
    const std::string pcf = x11 + "jiskan16.pcf.gz";
    testing::TempDir dir;
    const std::string bdf = dir.file("jiskan16.bdf");
    ASSERT_EQ(std::system(("pcf2bdf -o " + testing::quoted(bdf) + " " + pcf).c_str()), 0) << "pcf2bdf (package pcf2bdf)";
    const std::vector<std::uint8_t> data = font_file(bdf);
    auto glyphs = std::make_unique<GlyphTable>();
    TextReader in{std::span<const std::uint8_t>(data)};
    const FontImport a = read_bdf(in, BitOrder::msb_left, *glyphs);
    ASSERT_EQ(a.error, nullptr) << a.error;
    EXPECT_EQ(differences(read_reference(pcf), a, *glyphs, BitOrder::msb_left), "");
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
