#include "fontgen/preview.h"

#include <algorithm>
#include <array>

#include "core/jis_unicode.h"
#include "core/kanji_grid.h"
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
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto lead = static_cast<std::uint8_t>(text[i]);
        const auto trail = static_cast<std::uint8_t>(i + 1 < text.size() ? text[i + 1] : 0);
        if (is_lead_byte(lead) && is_trail_byte(trail)) {
            characters.push_back({static_cast<std::uint16_t>(lead << 8 | trail), false});
            ++i;
        } else {
            characters.push_back({lead, true});
        }
    }
    return characters;
}

namespace {

// The row values of a character's glyph in an include file, or null.
const GlyphRecord* glyph_of(const IncludeFont& font, const TextCharacter& c) {
    if (c.half) return c.code < font.has_half.size() && font.has_half[c.code] ? &font.half[c.code] : nullptr;
    if (c.code == 0) return nullptr;
    std::uint16_t key = c.code;
    if (font.unicode_key) {
        const int cell = cell_of(c.code >> 8, c.code & 0xFF);
        key = cell < 0 ? 0 : static_cast<std::uint16_t>(characters_of_cell(cell).first);
    }
    const auto at = std::lower_bound(font.codes.begin(), font.codes.end(), key);
    return key != 0 && at != font.codes.end() && *at == key ? &font.glyphs[static_cast<std::size_t>(at - font.codes.begin())] : nullptr;
}

}  // namespace

Picture draw_text_preview(const IncludeFont& font, BitOrder order, const std::vector<TextCharacter>& text) {
    const int field = font.side * preview_scale;
    int width = 0;
    for (const TextCharacter& c : text) width += c.half ? field / 2 : field;
    Picture picture;
    picture.width = 2 * preview_gap + std::max(field, width);
    picture.height = 2 * preview_gap + field;
    picture.gray.assign(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height), preview_background);
    int left = preview_gap;
    for (const TextCharacter& c : text) {
        const int w = c.half ? field / 2 : field;
        const GlyphRecord* glyph = glyph_of(font, c);
        for (int y = 0; y < field; ++y) {
            const auto row = glyph ? static_cast<std::uint32_t>((*glyph)[static_cast<std::size_t>(y / preview_scale)]) : 0u;
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
        at = end + 1;
    }
    font.glyphs.resize(font.codes.size());
    return font;
}

}  // namespace sorvane
