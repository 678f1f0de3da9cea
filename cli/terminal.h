// Shift_JIS text on the terminal: converted so that it shows its characters.
#pragma once

#include <cstdio>
#include <string_view>

namespace sorvane {

// Writes Shift_JIS text to stream in the terminal's encoding; a position that has no
// character there is shown as the geta mark.
void print_sjis(std::FILE* stream, std::string_view sjis);

}  // namespace sorvane
