// The Unicode characters of the grid's cells, for the fonts and texts that are keyed by
// Unicode.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "core/kanji_grid.h"

namespace sorvane {

#include "core/jis_unicode_table.inc"

// The character a Unicode font draws for a cell: the one of code page 932 first (0 for a
// cell it leaves empty), then JIS X 0208's own where that differs (the wave dash U+301C
// against U+FF5E and a handful like it), else 0.
struct CellCharacters {
    char16_t first;
    char16_t second;
};

constexpr CellCharacters characters_of_cell(int cell) {
    const char16_t windows = cp932_of_cell[static_cast<std::size_t>(cell)];
    const char16_t jis = jis_x0208_of_cell[static_cast<std::size_t>(cell)];
    return {windows, jis != windows ? jis : char16_t{0}};
}

// Whether a cell holds one of the 6879 characters of JIS X 0208 itself.
constexpr bool is_jis_x0208(int cell) { return jis_x0208_of_cell[static_cast<std::size_t>(cell)] != 0; }

// A cell a Unicode character stands for; second when it is the cell's second choice.
struct UnicodeCell {
    char16_t code;
    std::int16_t cell;
    bool second;

    constexpr bool operator<(const UnicodeCell& other) const {
        return code != other.code ? code < other.code : cell < other.cell;
    }
};

// Every (character, cell) pair of the grid, in the order of the characters: a character
// that code page 932 has at two places (NEC's and IBM's copies) stands for both. Made once,
// on first use, and never changed after.
std::span<const UnicodeCell> unicode_cells();

// The pairs of a character, in cell order; empty when no cell stands for it.
std::span<const UnicodeCell> cells_of_unicode(char32_t code);

}  // namespace sorvane
