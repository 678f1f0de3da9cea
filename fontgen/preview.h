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

// A character of a text as the firmware reader takes it (firmware/sorvane_text.h): a
// half-width byte (ASCII, the half-width katakana, or no_byte for bytes that are no
// character), a two-byte Shift_JIS code (0 for a character without one), or a code point of a
// UTF-8 text.
struct TextCharacter {
    enum class Kind : std::uint8_t { half, shift_jis, code_point };
    Kind kind;
    char32_t code;
};
inline constexpr char32_t no_byte = 0x100;

// The characters of a Shift_JIS text up to its first NUL, as the reader takes them: a lead
// byte with its trail byte, else a single byte.
std::vector<TextCharacter> characters_of_shift_jis(std::string_view text);

// The characters of a UTF-8 text up to its first NUL, as the reader takes them: ASCII, the
// half-width katakana U+FF61 to U+FF9F, the yen sign U+00A5 and the overline U+203E as the
// half-width bytes of JIS X 0201 (0x5C and 0x7E for those two), a byte that begins no whole,
// shortest sequence as a half-width character of its own, the rest by code point.
std::vector<TextCharacter> characters_of_utf8(std::string_view text);

// A cell of a text: its width in dots, and the glyph the reader draws there, or null where it
// draws none and counts the character as lacking (a blank glyph, the spaces aside).
struct TextCell {
    int width;
    const GlyphRecord* glyph;
};

// The cells of a text in an include file, as the reader finds them: a Shift_JIS code by the
// file's key or font_kanji_alt, else by the first code of its character (code page 932 has a
// few twice); a code point in its code page 932 form (the cell the scan maps it to), by the
// key or font_kanji_alt.
std::vector<TextCell> text_cells(const IncludeFont& font, const std::vector<TextCharacter>& text);

// A text in one line, as the firmware reader draws it: each cell a field of its width
// without gaps, on white with a margin of gray; a lacking character is a blank field.
Picture draw_text_preview(const IncludeFont& font, BitOrder order, const std::vector<TextCharacter>& text);

// A font source file's glyphs, every cell in grid order, for a picture of 94 to a row (a row
// of the grid), keyed by Shift_JIS code with code page 932's code points as the other key,
// as an include file of every cell made with --key sjis would be. The size is known by the
// count of values on the first line; error says why a text is no font source file.
IncludeFont read_font_source_text(std::string_view text);

}  // namespace sorvane
