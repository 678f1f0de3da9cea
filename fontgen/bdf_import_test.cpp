#include "fontgen/bdf_import.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/font_test_support.h"

namespace sorvane {
namespace {

using testing::bdf_font;
using testing::bdf_glyph16;
using testing::BdfGlyph;

GlyphTable glyphs;

FontImport imported(const std::string& bdf, BitOrder order = BitOrder::lsb_left) {
    testing::ScratchFile f(bdf);
    std::uint8_t buffer[100];
    TextReader in(f.file, buffer);
    return read_bdf(in, order, glyphs);
}

TEST(BdfImport, PlacesGlyphsByTheirJisCode) {
    // 0x2121 is cell 0, 0x3441 (row 0x34, column 0x41) is cell 19 * 94 + 32, 0x7E7E the last.
    const FontImport font = imported(bdf_font(16, {bdf_glyph16(0x2121, {0x8000}), bdf_glyph16(0x3441, {0, 0x0001, 0xC003}),
                                                  bdf_glyph16(0x7E7E, {0xFFFF})}));
    ASSERT_EQ(font.error, nullptr) << font.error;
    EXPECT_EQ(font.pixel_size, 16);
    EXPECT_EQ(font.glyphs, 3);
    EXPECT_EQ(glyphs[0][0], 1) << "the leftmost dot is bit 0";
    EXPECT_EQ(glyphs[19 * 94 + 32][0], 0);
    EXPECT_EQ(glyphs[19 * 94 + 32][1], 0x8000) << "the rightmost of 16 dots is bit 15";
    EXPECT_EQ(glyphs[19 * 94 + 32][2], 0xC003);
    EXPECT_EQ(glyphs[8835][0], 0xFFFF);
    EXPECT_EQ(glyphs[1][0], 0) << "a position without a glyph is all zeros";
}

TEST(BdfImport, MsbLeftMirrorsEachByte) {
    imported(bdf_font(16, {bdf_glyph16(0x2121, {0x8001, 0x4080})}), BitOrder::msb_left);
    EXPECT_EQ(glyphs[0][0], 0x0180) << "dot 0 is bit 7, dot 15 bit 8";
    EXPECT_EQ(glyphs[0][1], 0x8040) << "dot 1 is bit 6, dot 8 the top bit of the second byte";
    std::vector<std::string> rows(24, "000000");
    rows[0] = "800001";
    imported(bdf_font(24, {{0x2121, 24, 24, 0, -2, rows}}), BitOrder::msb_left);
    EXPECT_EQ(glyphs[0][0], 0x010080) << "dot 23 is the low bit of the third byte";
}

TEST(BdfImport, SmallerBoxesSitInTheCellByTheirOffsets) {
    // A 3 x 2 box, 4 dots from the left, its bottom 1 dot above the baseline: with the
    // baseline 2 dots above the cell's bottom, its rows are cell rows 11 and 12 of 16.
    imported(bdf_font(16, {{0x2121, 3, 2, 4, 1, {"E0", "A0"}}}));
    EXPECT_EQ(glyphs[0][11], 0x70);
    EXPECT_EQ(glyphs[0][12], 0x50);
    EXPECT_EQ(glyphs[0][10], 0);
    // Dots outside the cell are left out, not written elsewhere.
    imported(bdf_font(14, {{0x2121, 16, 2, -1, 10, {"FFFF", "8001"}}}));
    EXPECT_EQ(glyphs[0][0], 0x3FFF);
    EXPECT_EQ(glyphs[0][1], 0);
}

TEST(BdfImport, SkipsGlyphsOutsideTheGrid) {
    const FontImport font = imported(bdf_font(16, {bdf_glyph16(0x2120, {1}), bdf_glyph16(0x7F21, {1}), bdf_glyph16(-1, {1}),
                                                  bdf_glyph16(0x2122, {1})}));
    EXPECT_EQ(font.error, nullptr);
    EXPECT_EQ(font.glyphs, 1);
    EXPECT_EQ(font.skipped, 3);
}

TEST(BdfImport, RefusesWhatIsNoJisFontOfASupportedSizeAndNamesTheFault) {
    struct Case {
        std::string bdf;
        const char* fault;
    };
    const std::string one = bdf_font(16, {bdf_glyph16(0x2121, {1})});
    const std::string two = bdf_font(16, {bdf_glyph16(0x2121, {1}), bdf_glyph16(0x2122, {1})});
    std::string no_endchar = two;
    no_endchar.erase(no_endchar.find("ENDCHAR\n"), 8);
    std::string wordy_encoding = one;
    wordy_encoding.replace(wordy_encoding.find("ENCODING 8481"), 13, "ENCODING 0x2121");
    const Case cases[] = {
        {"", "not a BDF file: it is empty"},
        {"P1\n1 1\n0\n", "not a BDF file: it does not begin with STARTFONT"},
        {bdf_font(16, {}, "ISO8859"), "the font is not a JIS X 0208 font"},
        {bdf_font(20, {}), "the font is not 14, 16 or 24 dots high"},
        {bdf_font(16, {}, "KSC5601.1987"), "the font is not a JIS X 0208 font"},
        {one.substr(0, one.find("0000")), "the BDF file ends inside a bitmap"},
        {one.substr(0, one.size() - 8), "the BDF file ends before ENDFONT"},
        {bdf_font(16, {{0x2121, -3, 2, 0, 0, {"00", "00"}}}), "BBX is not four numbers of a sensible size"},
        {bdf_font(16, {{0x2121, 2000000000, 1, 0, 0, {"00"}}}), "BBX is not four numbers of a sensible size"},
        {bdf_font(16, {{0x2121, 8, 100000, 0, 0, {"00"}}}), "BBX is not four numbers of a sensible size"},
        {bdf_font(16, {{0x2121, 16, 1, 0, 0, {"FF"}}}), "a bitmap row is shorter than its BBX"},
        {bdf_font(16, {{0x2121, 8, 1, 0, 0, {"ZZ"}}}), "a bitmap row is not hexadecimal"},
        {bdf_font(16, {{0x2121, 8, 1, 0, 0, {"00", "00"}}}), "a bitmap has more rows than its BBX"},
        {bdf_font(16, {{0x2121, 8, 3, 0, 0, {"00", "00"}}}), "a bitmap has fewer rows than its BBX"},
        {no_endchar, "a glyph has no ENDCHAR"},
        {wordy_encoding, "ENCODING is not a number"},
    };
    for (const Case& c : cases) {
        const FontImport font = imported(c.bdf);
        ASSERT_NE(font.error, nullptr) << c.fault;
        EXPECT_EQ(std::string(font.error).substr(0, std::strlen(c.fault)), c.fault);
    }
}

TEST(BdfImport, CountsPositionsNotGlyphs) {
    std::string huge = bdf_font(16, {bdf_glyph16(0x2121, {1}), bdf_glyph16(0x2122, {2}), bdf_glyph16(0x2121, {4})});
    huge.replace(huge.find("ENCODING 8482"), 13, "ENCODING 2147483648");
    const FontImport font = imported(huge);
    ASSERT_EQ(font.error, nullptr) << font.error;
    EXPECT_EQ(font.skipped, 1) << "a number past every position is a glyph outside JIS X 0208";
    EXPECT_EQ(font.glyphs, 1);
    EXPECT_EQ(font.duplicates, 1);
    EXPECT_EQ(font.first_duplicate, 0x2121);
    EXPECT_EQ(glyphs[0][0], 1 << 13) << "the later glyph, dot 13, is kept";
}

TEST(BdfImport, FontLineWithoutANameIsNoRegistry) {
    // Found by fuzzing: a FONT line with nothing after it once copied from a null pointer.
    const FontImport font = imported("STARTFONT 2.1\nFONT\nPIXEL_SIZE 24\nCHARS 0\nENDFONT\n");
    EXPECT_STREQ(font.error, "the font is not a JIS X 0208 font (its CHARSET_REGISTRY is not JISX0208), nor a Unicode "
                             "one (ISO10646)");
    EXPECT_EQ(imported("STARTFONT 2.1\nCHARSET_REGISTRY\nFONT -A-B-JISX0208.1983-0\nPIXEL_SIZE 16\nENDFONT\n").error, nullptr)
        << "an empty registry is no name: the font name's stands";
}

TEST(BdfImport, WritesOneLineOfZerosForEveryEmptyPosition) {
    imported(bdf_font(14, {{0x2122, 14, 14, 0, -2, std::vector<std::string>(14, "FFFC")}}));
    testing::TempDir dir;
    const std::string path = dir.file("Sorvane.K14");
    std::FILE* f = std::fopen(path.c_str(), "wb");
    {
        TextWriter out(f);
        write_font_source(out, glyphs, 14);
        EXPECT_TRUE(out.flush());
    }
    std::fclose(f);
    const std::string text = testing::read_file(path);
    const std::string zeros = "0,0,0,0,0,0,0,0,0,0,0,0,0,0\r\n";
    EXPECT_EQ(text.substr(0, zeros.size()), zeros);
    EXPECT_EQ(text.substr(zeros.size(), 5), "16383");
    std::size_t lines = 0;
    for (char c : text) lines += c == '\n';
    EXPECT_EQ(lines, 8836u);
}

}  // namespace
}  // namespace sorvane
