#include "fontgen/include_reader.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#include "core/jis_unicode.h"

#include "fontgen/include_writer.h"
#include "tests/font_test_support.h"

namespace sorvane {
namespace {

// Include files written by the writer, from glyphs of random rows that fit the font.
class IncludeReader : public ::testing::Test {
protected:
    std::string written(int kind, int compiler_choice, const std::vector<int>& cells, const IncludeLayout& layout = {}) {
        const FontKind& font = font_of(kind);
        std::mt19937 random(static_cast<unsigned>(kind * 10 + compiler_choice));
        for (int cell = 0; cell < grid_cells; ++cell) {
            for (int r = 0; r < font.dots; ++r) {
                const std::uint32_t value = random() & ((1u << font.dots) - 1);
                expected[static_cast<std::size_t>(cell)][static_cast<std::size_t>(r)] = static_cast<std::int32_t>(value);
            }
        }
        for (GlyphRecord& g : half)
            for (int r = 0; r < font.dots; ++r) g[static_cast<std::size_t>(r)] = static_cast<std::int32_t>(random() & ((1u << font.half_dots) - 1));
        KanjiGrid registered{};
        for (int cell : cells) registered[static_cast<std::size_t>(cell)] = 1;
        testing::ScratchFile f("");
        {
            TextWriter out(f.file);
            summary = write_include_file(out, registered, expected, font, compiler_of(compiler_choice), {2025, 1, 9, 14, 5, 0}, {},
                                         layout, &half);
        }
        std::fseek(f.file, 0, SEEK_END);
        std::string text(static_cast<std::size_t>(std::ftell(f.file)), '\0');
        std::rewind(f.file);
        EXPECT_EQ(std::fread(text.data(), 1, text.size(), f.file), text.size());
        return text;
    }

    GlyphTable expected{};
    HalfTable half{};
    IncludeSummary summary;
};

TEST_F(IncludeReader, ReadsBackWhatTheWriterWroteInEveryLayout) {
    const std::vector<int> cells = {0, 1, 93, 94, 1410, 5827, 5828, 8835};
    for (int kind : {0, 1, 2}) {
        for (int compiler_choice : {0, 1, 2, 3, 4, 5}) {
            // A file with a name holds the same tables, its own.
            IncludeLayout layout;
            if (compiler_choice > 2) layout.name = "font";
            const IncludeFont font = read_include_file(written(kind, compiler_choice % 3, cells, layout));
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

// A Unicode key holds each character by code page 932's code point, once, in the order of the
// code points; the half-width tables hold every glyph asked for, by byte.
TEST_F(IncludeReader, UnicodeKeyAndHalfWidthTablesReadBack) {
    std::mt19937 random(7);
    std::vector<int> cells = {cell_of(0x81, 0xE6), cell_of(0x87, 0x9A), cell_of(0x85, 0x40)};  // ∵ twice, a cell of no character
    for (int i = 0; i < 400; ++i) cells.push_back(static_cast<int>(random() % grid_cells));
    std::map<char16_t, int> by_code_point;  // the first cell in grid order of each code point
    std::set<int> sorted(cells.begin(), cells.end());
    for (const int cell : sorted)
        if (const char16_t c = characters_of_cell(cell).first; c != 0 && !by_code_point.count(c)) by_code_point[c] = cell;
    for (int kind : {0, 2}) {
        for (const HalfWidth asked : {HalfWidth::all, HalfWidth::kana}) {
            // Every compiler's variant carries either key: kind picks one of them.
            const IncludeFont font = read_include_file(written(kind, (kind + static_cast<int>(asked)) % 3, cells, {asked, CodeKey::unicode, true}));
            ASSERT_EQ(font.error, nullptr) << font.error << " at line " << font.error_line;
            EXPECT_TRUE(font.unicode_key);
            ASSERT_EQ(font.codes.size(), by_code_point.size());
            EXPECT_EQ(summary.count + summary.without_unicode + summary.same_unicode, static_cast<int>(sorted.size()));
            std::size_t i = 0;
            for (const auto& [code_point, cell] : by_code_point) {
                EXPECT_EQ(font.codes[i], code_point);
                EXPECT_EQ(font.glyphs[i++], expected[static_cast<std::size_t>(cell)]) << std::hex << unsigned{code_point};
            }
            for (int b = 0; b < half_codes; ++b) {
                const bool wanted = (asked == HalfWidth::all && b >= 0x20 && b <= 0x7E) || (b >= 0xA1 && b <= 0xDF);
                EXPECT_EQ(font.has_half[static_cast<std::size_t>(b)], wanted) << b;
                if (wanted) {
                    EXPECT_EQ(font.half[static_cast<std::size_t>(b)], half[static_cast<std::size_t>(b)]) << b;
                }
            }
        }
    }
}

TEST_F(IncludeReader, EmptyAndFullLists) {
    EXPECT_EQ(read_include_file(written(1, 0, {})).error, nullptr);
    for (int compiler_choice : {0, 1, 2}) {
        const IncludeFont font = read_include_file(written(1, compiler_choice, {}, {HalfWidth::kana, CodeKey::sjis, true, "none"}));
        EXPECT_EQ(font.error, nullptr) << "a file with a name and no character has no table of characters";
        EXPECT_TRUE(font.has_half[0xA1]);
    }
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
