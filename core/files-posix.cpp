#include "core/files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

namespace sorvane {

bool sync_to_disk(std::FILE* file) { return std::fflush(file) == 0 && fsync(fileno(file)) == 0; }

namespace {

// The folder part of a path ("." for none, "/" for the root) and its last name.
std::pair<std::string, std::string> split_path(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {".", path};
    return {slash == 0 ? std::string("/") : path.substr(0, slash), path.substr(slash + 1)};
}

}  // namespace

bool replace_file(const char* from, const char* to) {
    if (std::rename(from, to) != 0) return false;
    // The rename lives in the folder: without this a crash may bring the old entry back.
    const int folder = open(split_path(to).first.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
    return true;
}

bool remove_plain_file(const char* path) {
    struct stat info {};
    if (lstat(path, &info) != 0) return true;
    return S_ISREG(info.st_mode) && unlink(path) == 0;
}

bool is_special_file(const char* path) {
    struct stat info {};
    return stat(path, &info) == 0 && !S_ISREG(info.st_mode);
}

bool same_file(const char* a, const char* b) {
    struct stat first {}, second {};
    return stat(a, &first) == 0 && stat(b, &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

bool same_place(const char* a, const char* b) {
    if (same_file(a, b)) return true;
    std::array<std::string, 2> names;
    std::array<struct stat, 2> folders{};
    const std::array<const char*, 2> paths{a, b};
    for (std::size_t i = 0; i < 2; ++i) {
        std::string target(32768, '\0');
        if (!link_target(paths[i], target.data(), target.size())) return false;
        target.resize(std::strlen(target.c_str()));
        auto [folder, name] = split_path(target);
        if (name.empty() || name == "." || name == ".." || stat(folder.c_str(), &folders[i]) != 0) return false;
        names[i] = std::move(name);
    }
    return folders[0].st_dev == folders[1].st_dev && folders[0].st_ino == folders[1].st_ino && names[0] == names[1];
}

bool link_target(const char* path, char* out, std::size_t capacity) {
    std::string target = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) break;
        char link[4096];
        const ssize_t n = readlink(target.c_str(), link, sizeof link - 1);
        if (n <= 0) break;
        link[n] = '\0';
        const std::size_t slash = target.rfind('/');
        target = link[0] == '/' || slash == std::string::npos ? std::string(link) : target.substr(0, slash + 1) + link;
    }
    if (target.size() >= capacity) return false;
    std::memcpy(out, target.c_str(), target.size() + 1);
    return true;
}

std::FILE* create_beside(const char* path, char* temp, std::size_t capacity) {
    struct stat old {};
    const bool keep_mode = stat(path, &old) == 0 && S_ISREG(old.st_mode);
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const int n = std::snprintf(temp, capacity, "%s.%ld-%u.new", path, static_cast<long>(getpid()), attempt);
        if (n < 0 || static_cast<std::size_t>(n) >= capacity) {
            errno = ENAMETOOLONG;
            return nullptr;
        }
        const int fd = open(temp, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return nullptr;
        if (keep_mode) fchmod(fd, old.st_mode & 07777);
        if (std::FILE* file = fdopen(fd, "wb")) return file;
        close(fd);
        unlink(temp);
        return nullptr;
    }
    errno = EEXIST;
    return nullptr;
}

namespace {

// Whether a new file can be made beside path: one is made and removed again.
bool folder_takes_files(const char* path) {
    std::array<char, 4200> probe{};
    std::FILE* file = create_beside(path, probe.data(), probe.size());
    if (!file) return false;
    std::fclose(file);
    unlink(probe.data());
    return true;
}

}  // namespace

FileLock::Result FileLock::acquire(const char* path, int wait_ms) {
    release();
    error_ = 0;
    for (int waited = 0;;) {
        // Never through a link, and never waiting on a FIFO: it is opened without waiting for
        // a writer and then refused. A read-only folder keeps a lock file it already has.
        int fd = open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0 && errno == ENOENT) fd = open(path, O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
        if (fd < 0) {
            const int error = errno;
            struct stat there {};
            if (lstat(path, &there) == 0 && S_ISLNK(there.st_mode)) return Result::a_link;
            if (!folder_takes_files(path)) return Result::no_folder_write;
            error_ = error;
            return Result::not_opened;
        }
        struct stat held {};
        if (fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
            close(fd);
            return Result::not_a_file;
        }
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
            // Removed by hand while this run waited: lock the file that stands there now, the
            // one the next run will lock too.
            struct stat now {};
            if (lstat(path, &now) == 0 && now.st_dev == held.st_dev && now.st_ino == held.st_ino) {
                handle_ = fd;
                return Result::locked;
            }
            close(fd);
            continue;
        }
        const int error = errno;
        close(fd);
        if (error != EWOULDBLOCK) {
            error_ = error;
            return Result::not_opened;
        }
        if (waited >= wait_ms) return Result::busy;
        usleep(10'000);
        waited += 10;
    }
}

void FileLock::release() {
    if (handle_ < 0) return;
    close(static_cast<int>(handle_));
    handle_ = -1;
}

bool change_directory(const char* path) { return chdir(path) == 0; }

bool installed_font_folder(char* out, std::size_t capacity) {
    std::array<char, 4096> program{};
    const ssize_t length = readlink("/proc/self/exe", program.data(), program.size() - 1);
    if (length <= 0 || static_cast<std::size_t>(length) >= program.size() - 1) return false;
    char* slash = std::strrchr(program.data(), '/');
    if (!slash) return false;
    *slash = '\0';
    const int written = std::snprintf(out, capacity, "%s/../share/sorvane", program.data());
    return written > 0 && static_cast<std::size_t>(written) < capacity;
}

}  // namespace sorvane
