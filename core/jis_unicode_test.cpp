// The grid's Unicode table against iconv, the source it was made from.
#include "core/jis_unicode.h"

#include <gtest/gtest.h>
#include <iconv.h>

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

}  // namespace
}  // namespace sorvane
