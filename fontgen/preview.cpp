#include "fontgen/preview.h"

#include <algorithm>
#include <array>

#include "core/jis_unicode.h"
#include "core/kanji_grid.h"
#include "core/utf8_text.h"
#include "fontgen/font_table.h"

namespace sorvane {

namespace {
constexpr FixedText source_values_per_line = with_font_sizes("a font source file has ", " values on a line");
}  // namespace

Picture draw_preview(const IncludeFont& font, BitOrder order, int columns) {
    const int count = static_cast<int>(font.glyphs.size());
    const int field = font.side * preview_scale;
    const int rows = (count + columns - 1) / columns;
    Picture picture;
    picture.width = preview_gap + columns * (field + preview_gap);
    picture.height = preview_gap + rows * (field + preview_gap);
    picture.gray.assign(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height), preview_background);
    for (int i = 0; i < count; ++i) {
        const int left = preview_field_x(i, font.side, columns);
        const int top = preview_field_y(i, font.side, columns);
        for (int y = 0; y < field; ++y) {
            const auto row = static_cast<std::uint32_t>(font.glyphs[static_cast<std::size_t>(i)][static_cast<std::size_t>(y / preview_scale)]);
            std::uint8_t* pixel = &picture.gray[static_cast<std::size_t>(top + y) * static_cast<std::size_t>(picture.width) + static_cast<std::size_t>(left)];
            for (int x = 0; x < field; ++x) pixel[x] = has_dot(row, x / preview_scale, order) ? 0 : 255;
        }
    }
    return picture;
}

std::vector<TextCharacter> characters_of_shift_jis(std::string_view text) {
    std::vector<TextCharacter> characters;
    text = text.substr(0, text.find('\0'));
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto lead = static_cast<std::uint8_t>(text[i]);
        const auto trail = static_cast<std::uint8_t>(i + 1 < text.size() ? text[i + 1] : 0);
        // The reader's rule, which takes lead bytes up to 0xFC, past the grid.
        if (((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) && trail >= 0x40 && trail <= 0xFC && trail != 0x7F) {
            characters.push_back({TextCharacter::Kind::shift_jis, static_cast<char32_t>(lead << 8 | trail)});
            ++i;
        } else {
            characters.push_back({TextCharacter::Kind::half, lead});
        }
    }
    return characters;
}

std::vector<TextCharacter> characters_of_utf8(std::string_view text) {
    std::vector<TextCharacter> characters;
    text = text.substr(0, text.find('\0'));
    for (std::size_t i = 0; i < text.size();) {
        std::size_t used = 1;
        const long c = decode_utf8(reinterpret_cast<const std::uint8_t*>(text.data() + i), text.size() - i, used);
        i += c < 0 ? 1 : used;
        if (c < 0) characters.push_back({TextCharacter::Kind::half, no_byte});
        else if (c < 0x80) characters.push_back({TextCharacter::Kind::half, static_cast<char32_t>(c)});
        else if (const int kana = half_width_katakana_byte(static_cast<char32_t>(c)); kana >= 0)
            characters.push_back({TextCharacter::Kind::half, static_cast<char32_t>(kana)});
        else if (c == 0xA5 || c == 0x203E) characters.push_back({TextCharacter::Kind::half, c == 0xA5 ? 0x5Cu : 0x7Eu});
        else characters.push_back({TextCharacter::Kind::code_point, static_cast<char32_t>(c)});
    }
    return characters;
}

namespace {

// The place of a code in the file's key, or -1.
int find_key(const IncludeFont& font, char32_t code) {
    const auto at = std::lower_bound(font.codes.begin(), font.codes.end(), code);
    return at != font.codes.end() && *at == code ? static_cast<int>(at - font.codes.begin()) : -1;
}

// The first place of a code in font_kanji_alt (0 stands for none), or -1.
int find_alt(const IncludeFont& font, char32_t code) {
    const auto at = std::find(font.alt.begin(), font.alt.end(), code);
    return code != 0 && at != font.alt.end() ? static_cast<int>(at - font.alt.begin()) : -1;
}

int find_code_point(const IncludeFont& font, char32_t code) {
    if (code == 0 || code > 0xFFFF) return -1;
    return font.unicode_key ? find_key(font, code) : find_alt(font, code);
}

// The place of a character's glyph, or -1.
int place_of(const IncludeFont& font, const TextCharacter& c) {
    if (c.kind == TextCharacter::Kind::shift_jis) {
        if (!font.unicode_key) return find_key(font, c.code);
        // A character code page 932 has twice: the Unicode key holds it once, with its first
        // code as the other key.
        const int cell = is_lead_byte(c.code >> 8) ? cell_of(c.code >> 8, c.code & 0xFF) : -1;
        const char32_t unicode = cell < 0 ? 0 : characters_of_cell(cell).first;
        const int first = unicode == 0 ? -1 : cell_of_code_point(unicode);
        return find_alt(font, first >= 0 ? code_of(first) : c.code);
    }
    // The key holds code page 932's code point of the cell the scan maps a code point to.
    const int cell = cell_of_code_point(c.code);
    const char32_t cp932 = cell < 0 ? 0 : characters_of_cell(cell).first;
    return find_code_point(font, cp932 != 0 ? cp932 : c.code);
}

bool is_blank(const GlyphRecord& glyph) {
    return std::all_of(glyph.begin(), glyph.end(), [](std::int32_t row) { return row == 0; });
}

}  // namespace

std::vector<TextCell> text_cells(const IncludeFont& font, const std::vector<TextCharacter>& text) {
    std::vector<TextCell> cells;
    cells.reserve(text.size());
    for (const TextCharacter& c : text) {
        const GlyphRecord* glyph = nullptr;
        bool space = false;
        if (c.kind == TextCharacter::Kind::half) {
            glyph = c.code < font.has_half.size() && font.has_half[c.code] ? &font.half[c.code] : nullptr;
            space = c.code == 0x20;
        } else {
            const int place = place_of(font, c);
            glyph = place >= 0 ? &font.glyphs[static_cast<std::size_t>(place)] : nullptr;
            space = c.code == (c.kind == TextCharacter::Kind::shift_jis ? 0x8140u : 0x3000u);
        }
        if (glyph && !space && is_blank(*glyph)) glyph = nullptr;
        cells.push_back({c.kind == TextCharacter::Kind::half ? font.side / 2 : font.side, glyph});
    }
    return cells;
}

Picture draw_text_preview(const IncludeFont& font, BitOrder order, const std::vector<TextCharacter>& text) {
    const std::vector<TextCell> cells = text_cells(font, text);
    const int field = font.side * preview_scale;
    int width = 0;
    for (const TextCell& c : cells) width += c.width * preview_scale;
    Picture picture;
    picture.width = 2 * preview_gap + std::max(field, width);
    picture.height = 2 * preview_gap + field;
    picture.gray.assign(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height), preview_background);
    int left = preview_gap;
    for (const TextCell& c : cells) {
        const int w = c.width * preview_scale;
        for (int y = 0; y < field; ++y) {
            const auto row = c.glyph ? static_cast<std::uint32_t>((*c.glyph)[static_cast<std::size_t>(y / preview_scale)]) : 0u;
            std::uint8_t* pixel = &picture.gray[static_cast<std::size_t>(preview_gap + y) * static_cast<std::size_t>(picture.width) +
                                                static_cast<std::size_t>(left)];
            for (int x = 0; x < w; ++x) pixel[x] = has_dot(row, x / preview_scale, order) ? 0 : 255;
        }
        left += w;
    }
    return picture;
}

IncludeFont read_font_source_text(std::string_view text) {
    IncludeFont font;
    const std::string_view first = text.substr(0, text.find('\n'));
    if (first.empty() || first.find_first_not_of("0123456789abcdefxABCDEFX,- \t\r") != std::string_view::npos) {
        font.error = "neither an include file written by Sorvane nor a font source file";
        font.error_line = 1;
        return font;
    }
    const int values = 1 + static_cast<int>(std::count(first.begin(), first.end(), ','));
    const FontKind* kind = font_of_dots(values);
    if (!kind) {
        font.error = source_values_per_line.c_str();
        font.error_line = 1;
        return font;
    }
    font.side = kind->dots;
    font.glyph_bytes = kind->glyph_bytes();
    font.glyphs.assign(grid_cells, GlyphRecord{});
    std::array<char, 2000> line{};
    std::size_t at = 0;
    for (int cell = 0; cell < grid_cells && at < text.size(); ++cell) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const std::size_t n = text.copy(line.data(), std::min(end - at, line.size() - 1), at);
        line[n] = '\0';
        parse_font_line(line.data(), font.side, font.glyphs[static_cast<std::size_t>(cell)]);
        font.codes.push_back(static_cast<std::uint16_t>(code_of(cell)));
        font.alt.push_back(characters_of_cell(cell).first);  // a UTF-8 text finds its characters too
        at = end + 1;
    }
    font.glyphs.resize(font.codes.size());
    return font;
}

}  // namespace sorvane
