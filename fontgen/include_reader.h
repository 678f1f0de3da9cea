// Reads back an include file written by Sorvane: its codes and the glyphs' row values.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "fontgen/bdf_import.h"
#include "fontgen/font_source.h"

namespace sorvane {

struct IncludeFont {
    int glyph_bytes = 0;  // FONT_KANJI_SIZE: 28, 32 or 72
    int side = 0;         // 14, 16 or 24 dots
    bool unicode_key = false;               // FONT_KEY 1: the codes are code points
    std::vector<std::uint16_t> codes;       // font_kanji_index
    std::vector<GlyphRecord> glyphs;        // row values rebuilt from font_kanji
    std::vector<std::uint16_t> alt;         // font_kanji_alt, where the file has it: the other key
    std::vector<GlyphRecord> half;          // by byte: the half-width glyphs, where the file has them
    std::vector<bool> has_half;             // by byte
    const char* error = nullptr;            // why the text is no such include file
    int error_line = 0;
};

// Parses the text of an include file of either compiler and any of the three layouts.
IncludeFont read_include_file(std::string_view text);

// The image an include file names (its FONT_IMAGE_CRC), or none for a file made without one.
std::optional<std::uint32_t> named_image(std::string_view text);

// Whether dot x (from the left) of a row value is set, in the given bit order.
inline bool has_dot(std::uint32_t row, int x, BitOrder order) {
    const int bit = order == BitOrder::lsb_left ? x : x / 8 * 8 + 7 - x % 8;
    return (row >> bit) & 1;
}

}  // namespace sorvane
