#include "core/files.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace sorvane {

namespace {

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
    // Windows refuses to rename over a file that someone has open, if only for a moment (a
    // look at the settings by another run, a virus scanner): try again for up to a second.
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        const DWORD error = GetLastError();
        if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) break;
        Sleep(20);
    }
    errno = errno_of_last_error();
    return false;
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

bool same_file(const char* a, const char* b) {
    BY_HANDLE_FILE_INFORMATION info[2]{};
    const char* paths[2] = {a, b};
    for (int i = 0; i < 2; ++i) {
        HANDLE file = CreateFileA(paths[i], 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        const bool known = GetFileInformationByHandle(file, &info[i]);
        CloseHandle(file);
        if (!known) return false;
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileIndexHigh == info[1].nFileIndexHigh && info[0].nFileIndexLow == info[1].nFileIndexLow;
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

// Windows cannot rename a file over one that is open, so the lock is not on the file itself
// but a mutex named for its full path, which Windows spells in any case. A run that is killed
// leaves the mutex abandoned, and the next run takes it.
FileLock::Result FileLock::acquire(const char* path, int wait_ms) {
    release();
    char full[4 * MAX_PATH];
    const DWORD length = GetFullPathNameA(path, sizeof full, full, nullptr);
    if (length == 0 || length >= sizeof full) {
        errno = ENAMETOOLONG;
        return Result::not_opened;
    }
    std::uint64_t hash = 14695981039346656037u;  // FNV-1a
    for (DWORD i = 0; i < length; ++i) {
        const char c = full[i];
        hash = (hash ^ static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c)) * 1099511628211u;
    }
    char name[48];
    std::snprintf(name, sizeof name, "Local\\Sorvane-%016llx", static_cast<unsigned long long>(hash));
    HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
    if (!mutex) {
        errno = errno_of_last_error();
        return Result::not_opened;
    }
    switch (WaitForSingleObject(mutex, static_cast<DWORD>(wait_ms))) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:
        handle_ = reinterpret_cast<std::intptr_t>(mutex);
        // Only now a look at the file, which the run before may still be renaming into place.
        if (is_special_file(path)) {
            release();
            return Result::not_a_file;
        }
        return Result::locked;
    case WAIT_TIMEOUT: CloseHandle(mutex); return Result::busy;
    default: CloseHandle(mutex); errno = EIO; return Result::not_opened;
    }
}

void FileLock::release() {
    if (handle_ == -1) return;
    ReleaseMutex(reinterpret_cast<HANDLE>(handle_));
    CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = -1;
}

bool change_directory(const char* path) {
    if (SetCurrentDirectoryA(path)) return true;
    errno = errno_of_last_error();
    return false;
}

bool installed_font_folder(char* out, std::size_t capacity) {
    std::array<char, MAX_PATH * 4> program{};
    const DWORD length = GetModuleFileNameA(nullptr, program.data(), static_cast<DWORD>(program.size()));
    if (length == 0 || length >= program.size()) return false;
    // The last separator, read character by character: a trail byte of the code page may be 0x5C.
    char* separator = nullptr;
    for (char* c = program.data(); *c != '\0'; ++c) {
        if (*c == '\\') separator = c;
        else if (IsDBCSLeadByte(static_cast<BYTE>(*c)) && c[1] != '\0') ++c;
    }
    if (!separator) return false;
    *separator = '\0';
    if (std::strlen(program.data()) >= capacity) return false;
    std::memcpy(out, program.data(), std::strlen(program.data()) + 1);
    return true;
}

}  // namespace sorvane
