#include "core/files.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

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

// Whether a symbolic link stands at path: a reparse point of that tag, not the other reparse
// points a file may be (a cloud file's placeholder, a deduplicated file).
bool is_symbolic_link(const char* path) {
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && found.dwReserved0 == IO_REPARSE_TAG_SYMLINK;
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

namespace {

// The identity of the folder a path names, through links and junctions; false when it is
// not there.
bool folder_identity(const std::wstring& folder, BY_HANDLE_FILE_INFORMATION& info) {
    HANDLE handle = CreateFileW(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    const bool known = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    return known && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

bool same_place(const char* a, const char* b) {
    if (same_file(a, b)) return true;
    std::array<std::wstring, 2> names;
    std::array<BY_HANDLE_FILE_INFORMATION, 2> folders{};
    const std::array<const char*, 2> paths{a, b};
    for (std::size_t i = 0; i < 2; ++i) {
        // In UTF-16 a separator is never the trail byte of a character of the code page.
        const int length = MultiByteToWideChar(CP_ACP, 0, paths[i], -1, nullptr, 0);
        if (length <= 1) return false;
        std::wstring path(static_cast<std::size_t>(length), L'\0');
        MultiByteToWideChar(CP_ACP, 0, paths[i], -1, path.data(), length);
        path.resize(static_cast<std::size_t>(length - 1));
        // The folder keeps its separator, without which a drive's or a share's root is none;
        // "C:a" names a file in the drive's current folder.
        std::size_t split = path.find_last_of(L"\\/");
        if (split == std::wstring::npos && path.size() >= 2 && path[1] == L':') split = 1;
        const std::wstring folder = split == std::wstring::npos         ? L"."
                                    : split == 1 && path[1] == L':' ? path.substr(0, 2) + L"."
                                                                    : path.substr(0, split + 1);
        names[i] = split == std::wstring::npos ? path : path.substr(split + 1);
        // Windows drops the dots and blanks that end a name.
        while (!names[i].empty() && (names[i].back() == L'.' || names[i].back() == L' ')) names[i].pop_back();
        if (names[i].empty() || !folder_identity(folder, folders[i])) return false;
    }
    return folders[0].dwVolumeSerialNumber == folders[1].dwVolumeSerialNumber &&
           folders[0].nFileIndexHigh == folders[1].nFileIndexHigh && folders[0].nFileIndexLow == folders[1].nFileIndexLow &&
           CompareStringOrdinal(names[0].c_str(), -1, names[1].c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool link_target(const char* path, char* out, std::size_t capacity) {
    // A symbolic link is followed to the file it ends at, which must be there on Windows; its
    // final path comes as \\?\C:\... or \\?\UNC\server\..., given back in the usual form.
    if (is_symbolic_link(path)) {
        HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            std::array<char, MAX_PATH * 4> final_path{};
            const DWORD n = GetFinalPathNameByHandleA(file, final_path.data(), static_cast<DWORD>(final_path.size()),
                                                      FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
            CloseHandle(file);
            if (n > 0 && n < final_path.size()) {
                std::size_t start = 0;
                if (std::strncmp(final_path.data(), "\\\\?\\UNC\\", 8) == 0) {
                    final_path[6] = '\\';  // \\?\UNC\server becomes \\server
                    start = 6;
                } else if (std::strncmp(final_path.data(), "\\\\?\\", 4) == 0) {
                    start = 4;
                }
                const std::size_t length = n - start;
                if (length >= capacity) return false;
                std::memcpy(out, final_path.data() + start, length + 1);
                return true;
            }
        }
    }
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

namespace {

// Whether a new file can be made beside path: one is made and removed again.
bool folder_takes_files(const char* path) {
    std::array<char, MAX_PATH * 4> probe{};
    std::FILE* file = create_beside(path, probe.data(), probe.size());
    if (!file) return false;
    std::fclose(file);
    DeleteFileA(probe.data());
    return true;
}

}  // namespace

// LockFileEx on the lock file's handle: Windows ties the lock to the file itself, so a link, a
// junction, a subst drive or a mapped drive to the folder meets it too. A run that is killed
// loses its lock with its handle.
FileLock::Result FileLock::acquire(const char* path, int wait_ms) {
    release();
    error_ = 0;
    // A link first, as on POSIX: a link to a folder is a link.
    if (is_symbolic_link(path)) return Result::a_link;
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)))
        return Result::not_a_file;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const int error = errno_of_last_error();
        if (!folder_takes_files(path)) return Result::no_folder_write;
        error_ = error;
        return Result::not_opened;
    }
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return Result::not_a_file;
    }
    for (int waited = 0;; waited += 10) {
        OVERLAPPED start{};
        if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &start)) break;
        const DWORD error = GetLastError();
        if (error != ERROR_LOCK_VIOLATION && error != ERROR_IO_PENDING) {
            CloseHandle(file);
            error_ = EIO;
            return Result::not_opened;
        }
        if (waited >= wait_ms) {
            CloseHandle(file);
            return Result::busy;
        }
        Sleep(10);
    }
    handle_ = reinterpret_cast<std::intptr_t>(file);
    return Result::locked;
}

void FileLock::release() {
    if (handle_ == -1) return;
    OVERLAPPED start{};
    UnlockFileEx(reinterpret_cast<HANDLE>(handle_), 0, 1, 0, &start);
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
