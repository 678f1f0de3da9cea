#include "core/files.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstring>

namespace sorvane {

namespace {

// The identity of an open file: its volume and its number there.
bool same_file(HANDLE held, const char* path) {
    HANDLE now = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (now == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION a{}, b{};
    const bool same = GetFileInformationByHandle(held, &a) && GetFileInformationByHandle(now, &b) &&
                      a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
                      a.nFileIndexLow == b.nFileIndexLow;
    CloseHandle(now);
    return same;
}

// errno for the last Win32 error, for the messages that name the C library's reasons.
int errno_of_last_error() {
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH: return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: return EACCES;
    case ERROR_DIRECTORY: return ENOTDIR;
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    default: return EIO;
    }
}

}  // namespace

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
            errno = errno_of_last_error();
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

FileLock::Result FileLock::acquire(const char* path, int wait_ms) {
    release();
    // Far past the end of any settings file, so that reading the file is never refused.
    OVERLAPPED beyond_end{};
    beyond_end.OffsetHigh = 0x7FFFFFFF;
    for (int waited = 0;;) {
        HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            errno = errno_of_last_error();
            const DWORD attributes = GetFileAttributesA(path);
            const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
            return folder ? Result::not_a_file : Result::not_opened;
        }
        if (GetFileType(file) != FILE_TYPE_DISK) {
            CloseHandle(file);
            return Result::not_a_file;
        }
        if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &beyond_end)) {
            if (same_file(file, path)) {
                handle_ = reinterpret_cast<std::intptr_t>(file);
                return Result::locked;
            }
            CloseHandle(file);  // replaced while this run waited: lock the file that stands there now
            continue;
        }
        CloseHandle(file);
        if (waited >= wait_ms) return Result::busy;
        Sleep(10);
        waited += 10;
    }
}

void FileLock::release() {
    if (handle_ == -1) return;
    CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = -1;
}

bool change_directory(const char* path) {
    if (SetCurrentDirectoryA(path)) return true;
    errno = errno_of_last_error();
    return false;
}

}  // namespace sorvane
