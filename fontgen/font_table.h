// The fonts Sorvane makes include files of: one row per font holds every fact about it. The
// writer, the include reader, the font import, the preview, the command line's words, the
// settings value (a font's place in the table) and the window's radio buttons all read it.
// A new size is one row here and one radio row in the control table.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace sorvane {

struct FontKind {
    const char* name;    // as the window and the reports show it: "K14"
    const char* word;    // on the command line: "k14"
    const char* suffix;  // of its font source file Sorvane.K14; three characters
    int dots;            // the glyph's height and width; row values per font source line
    int band;            // row values per band of the include file's glyph layout
    int row_parts;       // numbers the include file takes from each row value: 2 or 3
    const char* half_suffix;  // of its half-width font source file Sorvane.H14
    int half_dots;            // the width of a half-width glyph: half the cell

    // FONT_KANJI_SIZE: the numbers of one glyph.
    constexpr int glyph_bytes() const { return dots * row_parts; }
    // The bytes of a row of a half-width glyph: as many as its dots need.
    constexpr int half_row_bytes() const { return (half_dots + 7) / 8; }
    // FONT_HALF_SIZE: a half-width glyph's rows.
    constexpr int half_glyph_bytes() const { return dots * half_row_bytes(); }
};

inline constexpr std::array<FontKind, 3> font_table{{
    //  name        word        suffix dots band parts half
    {"K14", "k14", "K14", 14, 7, 2, "H14", 7},
    {"jiskan16", "jiskan16", "J16", 16, 8, 2, "H16", 8},
    {"jiskan24", "jiskan24", "J24", 24, 8, 3, "H24", 12},
}};

// Whether a stored font_kind value names a font: its place in the table.
constexpr bool is_font_value(std::int32_t value) {
    return value >= 0 && value < static_cast<std::int32_t>(font_table.size());
}

// The font of a stored font_kind value; any value that names none is the first.
constexpr const FontKind& font_of(std::int32_t value) {
    return is_font_value(value) ? font_table[static_cast<std::size_t>(value)] : font_table[0];
}

// The font of a size in dots, or null.
constexpr const FontKind* font_of_dots(int dots) {
    for (const FontKind& f : font_table)
        if (f.dots == dots) return &f;
    return nullptr;
}

// The font whose glyphs take glyph_bytes numbers, or null.
constexpr const FontKind* font_of_glyph_bytes(int glyph_bytes) {
    for (const FontKind& f : font_table)
        if (f.glyph_bytes() == glyph_bytes) return &f;
    return nullptr;
}

// A short text made at compile time, kept whole in a constant: the lists of sizes that
// messages and checks show are made from the font table, never written out by hand.
struct FixedText {
    std::array<char, 512> chars{};
    std::size_t length = 0;

    constexpr FixedText& add(std::string_view text) {
        for (const char c : text)
            if (length + 1 < chars.size()) chars[length++] = c;
        return *this;
    }
    constexpr FixedText& add_number(int n) {
        char digits[12]{};
        int count = 0;
        do digits[count++] = static_cast<char>('0' + n % 10); while ((n /= 10) > 0);
        while (count > 0) add(std::string_view(&digits[--count], 1));
        return *this;
    }
    constexpr const char* c_str() const { return chars.data(); }
    constexpr std::string_view view() const { return {chars.data(), length}; }
};

// The fonts' sizes in dots, joined: "14, 16 or 24" with (", ", " or "), "14|16|24" with ("|", "|").
constexpr FixedText font_sizes(std::string_view between, std::string_view before_last) {
    FixedText text;
    for (std::size_t i = 0; i < font_table.size(); ++i) {
        if (i > 0) text.add(i + 1 == font_table.size() ? before_last : between);
        text.add_number(font_table[i].dots);
    }
    return text;
}

// The names of the fonts' source files, joined: "Sorvane.K14, Sorvane.J16 or Sorvane.J24".
constexpr FixedText font_source_names(std::string_view between, std::string_view before_last) {
    FixedText text;
    for (std::size_t i = 0; i < font_table.size(); ++i) {
        if (i > 0) text.add(i + 1 == font_table.size() ? before_last : between);
        text.add("Sorvane.").add(font_table[i].suffix);
    }
    return text;
}

// A reason with the sizes in its middle: "the font is not 14, 16 or 24 dots high".
constexpr FixedText with_font_sizes(std::string_view before, std::string_view after) {
    return FixedText{}.add(before).add(font_sizes(", ", " or ").view()).add(after);
}

inline constexpr FixedText not_a_font_size = with_font_sizes("the font is not ", " dots high");

static_assert(font_sizes("|", "|").view() == "14|16|24");
static_assert(font_table[2].half_glyph_bytes() == 48);
static_assert(font_table[0].glyph_bytes() == 28 && font_table[1].glyph_bytes() == 32 && font_table[2].glyph_bytes() == 72);

}  // namespace sorvane
