#include "fontgen/include_reader.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#include "core/jis_unicode.h"

#include "fontgen/font_image.h"
#include "fontgen/include_writer.h"
#include "fontgen/pcf_import.h"
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
        return text_of(registered, font, compiler_choice, layout);
    }

    // The include file of the glyphs as they stand.
    std::string text_of(const KanjiGrid& registered, const FontKind& font, int compiler_choice, const IncludeLayout& layout) {
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

// The tables of an image by tag.
std::map<std::string, std::vector<std::uint8_t>> image_tables(const std::vector<std::uint8_t>& image) {
    std::map<std::string, std::vector<std::uint8_t>> tables;
    const auto get32 = [&image](std::size_t at) { return image[at] | image[at + 1] << 8 | image[at + 2] << 16 | image[at + 3] << 24; };
    for (std::size_t entry = image_fixed_bytes; entry < static_cast<std::size_t>(image_fixed_bytes + image_entry_bytes * (image[12] | image[13] << 8)); entry += image_entry_bytes) {
        const auto at = image.begin() + get32(entry + 4);
        tables[std::string(image.begin() + static_cast<std::ptrdiff_t>(entry), image.begin() + static_cast<std::ptrdiff_t>(entry) + 4)].assign(at, at + get32(entry + 8));
        if (image[entry + 14] & 6) tables["flags"].push_back(image[entry + 14]);
    }
    return tables;
}

// The kanji of JIS level 1 and the half-width glyphs of the three fonts, written compressed in
// a few variants, read back as the raw file; the image holds the compressed sets' tables in
// place of the raw ones (the firmware's draw test draws them); neither costs more than raw,
// and the sizes counted before are those written. A list of one glyph of noise falls back to
// raw glyphs and says so.
TEST_F(IncludeReader, CompressedFilesReadBackAsRawOnes) {
    const std::string x11 = "/usr/share/fonts/X11/misc/";
    const std::pair<const char*, const char*> files[] = {{"k14", "7x14-JISX0201.1976-0"}, {"jiskan16", "8x16rk"}, {"jiskan24", "12x24rk"}};
    for (int kind : {0, 1, 2}) {
        const FontKind& font = font_of(kind);
        auto ignored = std::make_unique<GlyphTable>();
        ASSERT_EQ(read_pcf(testing::unpacked_file(x11 + files[kind].first + ".pcf.gz"), BitOrder::lsb_left, expected).error, nullptr);
        ASSERT_EQ(read_pcf(testing::unpacked_file(x11 + files[kind].second + ".pcf.gz"), BitOrder::lsb_left, *ignored, &half).error, nullptr);
        KanjiGrid level1{}, one{};
        for (int cell = 15 * grid_side; cell < 47 * grid_side; ++cell) level1[static_cast<std::size_t>(cell)] = is_jis_x0208(cell);
        one[0] = 1;  // a glyph of noise, which no model makes smaller
        std::mt19937 random(5);
        for (int r = 0; r < font.dots; ++r) expected[0][static_cast<std::size_t>(r)] = static_cast<std::int32_t>(random() & ((1u << font.dots) - 1));
        for (const IncludeLayout& asked : {IncludeLayout{HalfWidth::all, CodeKey::sjis, true}, IncludeLayout{HalfWidth::ascii, CodeKey::unicode, true, "f"},
                                           IncludeLayout{HalfWidth::kana, CodeKey::sjis, true}, IncludeLayout{}}) {
            IncludeLayout packed = asked;
            packed.compress = true;
            const int compiler_choice = (kind + static_cast<int>(asked.half)) % 3;
            const IncludeFont raw = read_include_file(text_of(level1, font, compiler_choice, asked));
            const long long raw_bytes = summary.total_bytes();
            const IncludeFont read = read_include_file(text_of(level1, font, compiler_choice, packed));
            ASSERT_EQ(read.error, nullptr) << read.error << " at line " << read.error_line;
            EXPECT_TRUE(summary.compressed && (asked.half == HalfWidth::none || summary.half_compressed)) << kind;
            EXPECT_LT(summary.total_bytes(), raw_bytes);
            EXPECT_EQ(summarize_include_file(level1, expected, font, {}, packed, &half).total_bytes(), summary.total_bytes());
            EXPECT_TRUE(read.codes == raw.codes && read.glyphs == raw.glyphs && read.alt == raw.alt && read.half == raw.half &&
                        read.has_half == raw.has_half) << kind << " " << compiler_choice;
            const std::vector<std::uint8_t> image = font_image(level1, expected, font, packed, &half);
            EXPECT_EQ(font_image_size(level1, expected, font, packed, &half), static_cast<long long>(image.size()));
            auto tables = image_tables(image);
            EXPECT_TRUE(tables.count("MODL") && tables.count("PACK") && !tables.count("GLYF") && tables["MODL"].size() <= 1026 &&
                        tables.count("HPAK") == (asked.half != HalfWidth::none) && !tables.count("ASCI") && !tables.count("KANA"));
            const int flags = 1 | (asked.ascii() ? 2 : 0) | (asked.kana() ? 4 : 0);
            EXPECT_EQ(tables["flags"], std::vector<std::uint8_t>(asked.half != HalfWidth::none, static_cast<std::uint8_t>(flags)));
            const std::string tiny = text_of(one, font, compiler_choice, packed);
            EXPECT_NE(tiny.find("#define FONT_COMPRESSED\t\t0\t"), std::string::npos);
            EXPECT_EQ(image_tables(font_image(one, expected, font, packed, &half)).count("GLYF"), 1u);
        }
        // Blank glyphs pack to no byte: the table holds one all the same, and reads back blank.
        expected[0] = expected[1] = GlyphRecord{};
        one[1] = 1;
        const IncludeFont blank = read_include_file(text_of(one, font, kind, {HalfWidth::none, CodeKey::sjis, false, {}, true}));
        EXPECT_EQ(summary.glyph_table_bytes, 1);
        EXPECT_TRUE(blank.error == nullptr && blank.glyphs == std::vector<GlyphRecord>(2)) << (blank.error ? blank.error : "");
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
