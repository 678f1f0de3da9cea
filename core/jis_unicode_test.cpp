// The grid's Unicode table against iconv, the source it was made from, and the way back from
// a character to its Shift_JIS code against the table.
#include "core/jis_unicode.h"
#include "core/shift_jis_literal.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <string>

namespace sorvane {
namespace {

// The code point iconv gives for a cell in an encoding; 0 where it gives none.
char32_t iconv_of_cell(const char* encoding, int cell) {
    iconv_t cd = iconv_open("UTF-32LE", encoding);
    if (cd == reinterpret_cast<iconv_t>(-1)) return 0xFFFFFFFF;
    const SjisBytes b = bytes_of(cell);
    char in[2] = {static_cast<char>(b.lead), static_cast<char>(b.trail)};
    unsigned char out[8] = {};
    char* in_p = in;
    char* out_p = reinterpret_cast<char*>(out);
    std::size_t in_left = 2, out_left = sizeof out;
    const bool converted = iconv(cd, &in_p, &in_left, &out_p, &out_left) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    if (!converted || sizeof out - out_left != 4) return 0;
    return out[0] | out[1] << 8 | out[2] << 16 | static_cast<char32_t>(out[3]) << 24;
}

TEST(JisUnicode, IsWhatIconvSaysForEveryCell) {
    int jis_characters = 0, differences = 0;
    for (int cell = 0; cell < grid_cells; ++cell) {
        ASSERT_EQ(cp932_of_cell[static_cast<std::size_t>(cell)], iconv_of_cell("CP932", cell)) << cell;
        ASSERT_EQ(jis_x0208_of_cell[static_cast<std::size_t>(cell)], iconv_of_cell("SHIFT_JIS", cell)) << cell;
        jis_characters += is_jis_x0208(cell);
        differences += characters_of_cell(cell).second != 0;
        if (cp932_of_cell[static_cast<std::size_t>(cell)] == 0) {
            EXPECT_EQ(characters_of_cell(cell).second, 0) << "no character where code page 932 has none: " << cell;
        }
    }
    EXPECT_EQ(jis_characters, 6879);
    EXPECT_GT(differences, 0);
    EXPECT_LT(differences, 30) << "a handful, like the wave dash";
}

TEST(JisUnicode, EveryCharacterFindsItsCells) {
    for (int cell = 0; cell < grid_cells; ++cell) {
        const CellCharacters c = characters_of_cell(cell);
        for (const char16_t code : {c.first, c.second}) {
            if (code == 0) continue;
            bool found = false;
            for (const UnicodeCell& p : cells_of_unicode(code)) found = found || (p.cell == cell && p.second == (code == c.second));
            EXPECT_TRUE(found) << cell;
        }
    }
    const int wave_dash = cell_of(0x81, 0x60);
    EXPECT_EQ(characters_of_cell(wave_dash).first, u'\uFF5E');
    EXPECT_EQ(characters_of_cell(wave_dash).second, u'\u301C');
    EXPECT_EQ(cells_of_unicode(U'\u2235').size(), 2u) << "∵: NEC's copy in row 13 and JIS X 0208's";
    EXPECT_TRUE(cells_of_unicode(U'A').empty());
}

std::string utf8_of(char32_t c) {
    if (c < 0x80) return std::string(1, static_cast<char>(c));
    if (c < 0x800) return {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
    return {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
}

// Every character of the plane, one at a time: the code of its cell (code page 932's form, the
// first cell), one byte for ASCII and half-width katakana, else none.
TEST(JisUnicode, ShiftJisOfEveryCharacterIsItsCell) {
    static_assert(std::string_view("漢字 ｶﾅ～"_sjis) == "\x8a\xbf\x8e\x9a \xb6\xc5\x81\x60");
    for (char32_t c = 1; c <= 0xFFFF; ++c) {
        std::string expected;
        if (c < 0x80) expected = utf8_of(c);
        else if (c >= 0xFF61 && c <= 0xFF9F) expected = std::string(1, static_cast<char>(c - 0xFF61 + 0xA1));
        const std::span<const UnicodeCell> cells = cells_of_unicode(c);
        if (!cells.empty()) {
            const auto first = std::find_if(cells.begin(), cells.end(), [](const UnicodeCell& p) { return !p.second; });
            const SjisBytes b = bytes_of((first != cells.end() ? *first : cells.front()).cell);
            expected = {static_cast<char>(b.lead), static_cast<char>(b.trail)};
        }
        char out[4] = {};
        const std::string text = utf8_of(c);
        const int n = to_shift_jis(text, out);
        ASSERT_EQ(n < 0 ? std::string("none") : std::string(out, static_cast<std::size_t>(n)), expected.empty() ? "none" : expected)
            << std::hex << static_cast<unsigned>(c);
    }
    for (const char* broken : {"\x80", "\xC0\x80", "\xE3\x81", "\xE0\x80\x80", "\xF0\x9F\x98\x80", "a\xE3\x81" "a"}) {
        char out[8] = {};
        EXPECT_EQ(to_shift_jis(broken, out), -1) << broken;
    }
}

}  // namespace
}  // namespace sorvane
