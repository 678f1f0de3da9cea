#include "core/files.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstring>

namespace sorvane {

bool sync_to_disk(std::FILE* file) { return std::fflush(file) == 0 && _commit(_fileno(file)) == 0; }

bool replace_file(const char* from, const char* to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool is_special_file(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) return true;
    // A device can pass for a file by its attributes (Wine's view of /dev): ask its type.
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool on_disk = GetFileType(file) == FILE_TYPE_DISK;
    CloseHandle(file);
    return !on_disk;
}

bool remove_plain_file(const char* path) {
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return true;
    return !is_special_file(path) && DeleteFileA(path) != 0;
}

bool link_target(const char* path, char* out, std::size_t capacity) {
    const std::size_t n = std::strlen(path);
    if (n >= capacity) return false;
    std::memcpy(out, path, n + 1);
    return true;
}

std::FILE* create_beside(const char* path, char* temp, std::size_t capacity) {
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const int n = std::snprintf(temp, capacity, "%s.%lu-%u.new", path, GetCurrentProcessId(), attempt);
        if (n < 0 || static_cast<std::size_t>(n) >= capacity) {
            errno = ENAMETOOLONG;
            return nullptr;
        }
        HANDLE handle = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS) continue;
            errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : ENOENT;
            return nullptr;
        }
        const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
        if (fd < 0) {
            CloseHandle(handle);
            DeleteFileA(temp);
            return nullptr;
        }
        if (std::FILE* file = _fdopen(fd, "wb")) return file;
        _close(fd);
        DeleteFileA(temp);
        return nullptr;
    }
    errno = EEXIST;
    return nullptr;
}

bool change_directory(const char* path) { return SetCurrentDirectoryA(path) != 0; }

}  // namespace sorvane
