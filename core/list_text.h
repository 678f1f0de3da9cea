// The text form of the two character lists: Parse (text to set) and Render (set to text).
#pragma once

#include <cstddef>
#include <string_view>

#include "core/kanji_grid.h"

namespace sorvane {

// The longest text Render writes: 8836 characters, 294 line breaks and the NUL.
inline constexpr std::size_t longest_list_text = 18260 + 1;

// Rebuilds a set from any bytes: only valid two-byte characters count, everything else is
// skipped byte by byte.
void parse_list(std::string_view text, KanjiGrid& set);

// Writes the set as its characters in code order, CR LF after every 30th, then a NUL; out
// must hold longest_list_text bytes. Returns the length without the NUL.
std::size_t render_list(const KanjiGrid& set, char* out);

}  // namespace sorvane
