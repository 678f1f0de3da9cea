// The one platform call of the settings: the full path of a file name.
#pragma once

#include <cstddef>

namespace sorvane {

// Writes the full path of name, taken against the current directory, into out (capacity
// bytes including the NUL). Returns its length without the NUL, or 0 when no path could be
// formed or it does not fit; out is then the empty string. The file need not exist.
std::size_t full_path(const char* name, char* out, std::size_t capacity);

}  // namespace sorvane
