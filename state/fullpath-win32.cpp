#include "state/fullpath.h"

#include <windows.h>

namespace sorvane {

std::size_t full_path(const char* name, char* out, std::size_t capacity) {
    if (capacity == 0) return 0;
    const DWORD length = GetFullPathNameA(name, static_cast<DWORD>(capacity), out, nullptr);
    // A result as large as the buffer is the size it would need: the path does not fit.
    if (length == 0 || length >= capacity) {
        out[0] = '\0';
        return 0;
    }
    return length;
}

}  // namespace sorvane
