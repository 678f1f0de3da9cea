#include "fontgen/include_reader.h"

#include <gtest/gtest.h>

#include <random>

#include "fontgen/include_writer.h"
#include "tests/font_test_support.h"

namespace sorvane {
namespace {

// Include files written by the writer, from glyphs of random rows that fit the font.
class IncludeReader : public ::testing::Test {
protected:
    std::string written(int kind, int compiler_choice, const std::vector<int>& cells) {
        const FontKind& font = font_of(kind);
        std::mt19937 random(static_cast<unsigned>(kind * 10 + compiler_choice));
        for (int cell = 0; cell < grid_cells; ++cell) {
            for (int r = 0; r < font.dots; ++r) {
                const std::uint32_t value = random() & ((1u << font.dots) - 1);
                expected[static_cast<std::size_t>(cell)][static_cast<std::size_t>(r)] = static_cast<std::int32_t>(value);
            }
        }
        KanjiGrid registered{};
        for (int cell : cells) registered[static_cast<std::size_t>(cell)] = 1;
        testing::ScratchFile f("");
        {
            TextWriter out(f.file);
            write_include_file(out, registered, expected, font, compiler_of(compiler_choice), {2025, 1, 9, 14, 5, 0}, {});
        }
        std::fseek(f.file, 0, SEEK_END);
        std::string text(static_cast<std::size_t>(std::ftell(f.file)), '\0');
        std::rewind(f.file);
        EXPECT_EQ(std::fread(text.data(), 1, text.size(), f.file), text.size());
        return text;
    }

    GlyphTable expected{};
};

TEST_F(IncludeReader, ReadsBackWhatTheWriterWroteInEveryLayout) {
    const std::vector<int> cells = {0, 1, 93, 94, 1410, 5827, 5828, 8835};
    for (int kind : {0, 1, 2}) {
        for (int compiler_choice : {0, 1}) {
            const IncludeFont font = read_include_file(written(kind, compiler_choice, cells));
            ASSERT_EQ(font.error, nullptr) << font.error << " at line " << font.error_line;
            EXPECT_EQ(font.side, font_of(kind).dots);
            ASSERT_EQ(font.codes.size(), cells.size());
            for (std::size_t i = 0; i < cells.size(); ++i) {
                EXPECT_EQ(font.codes[i], code_of(cells[i]));
                for (int r = 0; r < font.side; ++r)
                    EXPECT_EQ(font.glyphs[i][static_cast<std::size_t>(r)],
                              expected[static_cast<std::size_t>(cells[i])][static_cast<std::size_t>(r)])
                        << "kind " << kind << ", glyph " << i << ", row " << r;
            }
        }
    }
}

TEST_F(IncludeReader, EmptyAndFullLists) {
    EXPECT_EQ(read_include_file(written(1, 0, {})).error, nullptr);
    std::vector<int> all(grid_cells);
    for (int i = 0; i < grid_cells; ++i) all[static_cast<std::size_t>(i)] = i;
    const IncludeFont font = read_include_file(written(2, 1, all));
    EXPECT_EQ(font.error, nullptr);
    EXPECT_EQ(font.glyphs.size(), static_cast<std::size_t>(grid_cells));
}

TEST_F(IncludeReader, RefusesWhatIsNoIncludeFile) {
    const std::string good = written(0, 0, {5, 6});
    auto broken = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return read_include_file(text);
    };
    EXPECT_NE(read_include_file("").error, nullptr);
    EXPECT_NE(read_include_file("int main() {}\n").error, nullptr);
    EXPECT_NE(broken("FONT_KANJI_SIZE\t\t28", "FONT_KANJI_SIZE\t\t30").error, nullptr);
    EXPECT_NE(broken("FONT_KANJI_NUM\t\t2", "FONT_KANJI_NUM\t\t3").error, nullptr);
    EXPECT_NE(broken("FONT_KANJI_NUM\t\t2", "FONT_KANJI_NUM\t\t99999").error, nullptr);
    EXPECT_NE(broken("FONT_KANJI_NUM\t\t2", "FONT_KANJI_NUM\t\t1").error, nullptr);
    EXPECT_NE(broken("0x8145,0x8146", "0x8146,0x8145").error, nullptr) << "codes out of order";
    EXPECT_NE(broken("\t0x8145,", "\t0x0041,").error, nullptr) << "no two-byte character";
    EXPECT_NE(broken("}\r\n\t,{", ",1}\r\n\t,{").error, nullptr) << "a glyph of 29 numbers";
    EXPECT_NE(read_include_file(good.substr(0, good.size() - 40)).error, nullptr) << "cut short";
    std::string wide = good;
    const std::size_t first = wide.find("\t{", wide.find("font_kanji[][")) + 2;
    wide.replace(first, wide.find(',', first) - first, "256");
    EXPECT_STREQ(read_include_file(wide).error, "a number of font_kanji does not fit its char: it is above 255");
    const IncludeFont font = broken("0x8145,0x8146", "0x8145,,0x8146");
    ASSERT_NE(font.error, nullptr);
    EXPECT_GT(font.error_line, 10) << "the error names its line";
}

}  // namespace
}  // namespace sorvane
