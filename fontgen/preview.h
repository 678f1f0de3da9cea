// A picture of the glyphs of an include file: every glyph in code order, in a grid.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "fontgen/include_reader.h"

namespace sorvane {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> gray;  // one byte a pixel, row by row; 0 black, 255 white
};

// How the grid is drawn: each dot a square of preview_scale pixels, each glyph on a white
// field, the fields preview_columns to a row with preview_gap pixels of gray between them.
inline constexpr int preview_columns = 16;
inline constexpr int preview_scale = 2;
inline constexpr int preview_gap = 4;
inline constexpr std::uint8_t preview_background = 192;

// The top-left pixel of the field of glyph i.
inline int preview_field_x(int i, int side, int columns = preview_columns) {
    return preview_gap + i % columns * (side * preview_scale + preview_gap);
}
inline int preview_field_y(int i, int side, int columns = preview_columns) {
    return preview_gap + i / columns * (side * preview_scale + preview_gap);
}

Picture draw_preview(const IncludeFont& font, BitOrder order, int columns = preview_columns);

// A character of a text to draw: a two-byte Shift_JIS code, or a half-width byte (ASCII,
// half-width katakana); code 0 for one without either form, which takes a field and shows
// nothing.
struct TextCharacter {
    std::uint16_t code;
    bool half;
};

// The characters of a Shift_JIS text, as the firmware reader takes them: a lead byte with its
// trail byte, else a single byte.
std::vector<TextCharacter> characters_of_shift_jis(std::string_view text);

// A text in one line, as the firmware reader draws it: each character a field of the font's
// size without gaps, half as wide for a half-width one, on white with a margin of gray; a
// character the file has no glyph for is a blank field.
Picture draw_text_preview(const IncludeFont& font, BitOrder order, const std::vector<TextCharacter>& text);

// A font source file's glyphs, every cell in grid order, for a picture of 94 to a row (a row
// of the grid). The size is known by the count of values on the first line; error says why a
// text is no font source file.
IncludeFont read_font_source_text(std::string_view text);

}  // namespace sorvane
