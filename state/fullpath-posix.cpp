#include "state/fullpath.h"

#include <unistd.h>

#include <cstring>

namespace sorvane {

std::size_t full_path(const char* name, char* out, std::size_t capacity) {
    if (capacity == 0) return 0;
    std::size_t length = 0;
    if (name[0] != '/') {
        if (getcwd(out, capacity) == nullptr) {
            out[0] = '\0';
            return 0;
        }
        length = std::strlen(out);
        if (out[length - 1] != '/') out[length++] = '/';  // overwrites the NUL at worst
    }
    const std::size_t name_length = std::strlen(name);
    if (length + name_length >= capacity) {
        out[0] = '\0';
        return 0;
    }
    std::memcpy(out + length, name, name_length + 1);
    return length + name_length;
}

}  // namespace sorvane
