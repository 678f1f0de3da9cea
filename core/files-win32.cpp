#include "core/files.h"

#include <io.h>
#include <windows.h>

namespace sorvane {

bool sync_to_disk(std::FILE* file) { return std::fflush(file) == 0 && _commit(_fileno(file)) == 0; }

bool replace_file(const char* from, const char* to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool remove_plain_file(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) return false;
    return DeleteFileA(path) != 0;
}

bool change_directory(const char* path) { return SetCurrentDirectoryA(path) != 0; }

}  // namespace sorvane
