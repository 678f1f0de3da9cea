#include "fontgen/font_source.h"

#include "fontgen/font_table.h"

#include <gtest/gtest.h>

#include "tests/font_test_support.h"

namespace sorvane {
namespace {

using testing::ScratchFile;

GlyphRecord parsed(const char* line, int rows, std::int32_t before = 77) {
    GlyphRecord record;
    record.fill(before);
    parse_font_line(line, rows, record);
    return record;
}

TEST(FontLine, ReadsNumbersAsStrtolWithBaseZero) {
    const GlyphRecord r = parsed("0x1f, 017 ,9\n", 14);
    EXPECT_EQ(r[0], 31);
    EXPECT_EQ(r[1], 15);
    EXPECT_EQ(r[2], 77) << "the blank after 017 ended the line";
    EXPECT_EQ(r[13], 77);
    const GlyphRecord bases = parsed("0X10,010,10,+7,-0x10,0xg,09\n", 14);
    EXPECT_EQ(bases[0], 16);
    EXPECT_EQ(bases[1], 8);
    EXPECT_EQ(bases[2], 10);
    EXPECT_EQ(bases[3], 7);
    EXPECT_EQ(bases[4], -16);
    EXPECT_EQ(bases[5], 0) << "0x without a hex digit is the number 0, then an x ends the line";
    EXPECT_EQ(bases[6], 77);
}

TEST(FontLine, ClampsToTheSigned32BitRange) {
    const GlyphRecord r = parsed("-1,100000000000,-100000000000,2147483647,0xffffffff\n", 14);
    EXPECT_EQ(r[0], -1);
    EXPECT_EQ(r[1], INT32_MAX);
    EXPECT_EQ(r[2], INT32_MIN);
    EXPECT_EQ(r[3], INT32_MAX);
    EXPECT_EQ(r[4], INT32_MAX);
}

TEST(FontLine, EmptyFieldsAndLines) {
    const GlyphRecord empty = parsed("\n", 14);
    EXPECT_EQ(empty[0], 0) << "every line stores row value 0";
    EXPECT_EQ(empty[1], 77);
    const GlyphRecord nothing = parsed("", 14);
    EXPECT_EQ(nothing[0], 0);
    const GlyphRecord fields = parsed("1,,3, x,5\r\n", 14);
    EXPECT_EQ(fields[1], 0) << "an empty field stores 0 and reading goes on";
    EXPECT_EQ(fields[2], 3);
    EXPECT_EQ(fields[3], 0) << "no number after the blank: 0, and the x ends the line";
    EXPECT_EQ(fields[4], 77);
}

TEST(FontLine, TakesAtMostTheFontsRows) {
    std::string line;
    for (int i = 1; i <= 30; ++i) line += std::to_string(i) + ",";
    const GlyphRecord r = parsed(line.c_str(), 24);
    EXPECT_EQ(r[23], 24);
    EXPECT_EQ(r[24], 77);
}

// Reads a font source from text into the glyph store, with a small block to cross boundaries.
GlyphTable glyphs;

int read_source(const std::string& content, int rows) {
    ScratchFile f(content);
    std::uint8_t buffer[13];
    TextReader in(f.file, buffer);
    return read_font_source(in, rows, glyphs);
}

std::string full_source(int rows, const std::string& line_of_cell_zero = "") {
    std::string content = line_of_cell_zero.empty() ? "0\r\n" : line_of_cell_zero + "\r\n";
    for (int cell = 1; cell < grid_cells; ++cell) {
        for (int r = 0; r < rows; ++r) content += (r ? "," : "") + std::to_string(cell * 100 + r);
        content += "\r\n";
    }
    return content;
}

class FontSource : public ::testing::Test {
protected:
    void SetUp() override {
        for (GlyphRecord& r : glyphs) r.fill(-5);
    }
};

TEST_F(FontSource, LineKFillsRecordKMinusOne) {
    EXPECT_EQ(read_source(full_source(24) + "9,9,9\n", 24), grid_cells);
    EXPECT_EQ(glyphs[1][0], 100);
    EXPECT_EQ(glyphs[8835][23], 883523);
    EXPECT_EQ(glyphs[8835][24], -5) << "row values past the font are never written";
}

TEST_F(FontSource, ShortFileLeavesNoGlyphFromElsewhere) {
    EXPECT_EQ(read_source("1,2\n3,4\n", 14), 2);
    EXPECT_EQ(glyphs[1][1], 4);
    EXPECT_EQ(glyphs[2][0], 0);
    EXPECT_EQ(glyphs[8835][13], 0);
    EXPECT_EQ(glyphs[8835][14], -5);
    EXPECT_EQ(read_source("", 16), 0);
    EXPECT_EQ(glyphs[0][15], 0);
    EXPECT_EQ(glyphs[0][16], -5);
}

TEST_F(FontSource, OverlongLineDoesNotShiftTheLinesAfterIt) {
    const std::string long_line = "5," + std::string(3000, '7') + ",6";
    EXPECT_EQ(read_source(long_line + "\n8,9\n", 14), 2);
    EXPECT_EQ(glyphs[0][0], 5);
    EXPECT_EQ(glyphs[0][1], INT32_MAX);
    EXPECT_EQ(glyphs[1][0], 8);
    EXPECT_EQ(glyphs[1][1], 9);
    EXPECT_EQ(glyphs[2][0], 0);
}

TEST_F(FontSource, LaterFontKeepsTheRowsItDoesNotReach) {
    read_source(full_source(24), 24);
    read_source(full_source(14), 14);
    EXPECT_EQ(glyphs[5][13], 513);
    EXPECT_EQ(glyphs[5][14], 514) << "left from the jiskan24 read";
}

TEST(FontKind, ValuesOtherThanOneAndTwoAreK14) {
    EXPECT_STREQ(font_of(1).suffix, "J16");
    EXPECT_EQ(font_of(1).glyph_bytes(), 32);
    EXPECT_STREQ(font_of(2).suffix, "J24");
    EXPECT_EQ(font_of(2).glyph_bytes(), 72);
    for (int kind : {0, 5, -1, 3}) {
        EXPECT_STREQ(font_of(kind).suffix, "K14") << kind;
        EXPECT_EQ(font_of(kind).dots, 14);
        EXPECT_EQ(font_of(kind).glyph_bytes(), 28);
    }
}

}  // namespace
}  // namespace sorvane
