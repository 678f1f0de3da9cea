#include "core/files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace sorvane {

bool sync_to_disk(std::FILE* file) { return std::fflush(file) == 0 && fsync(fileno(file)) == 0; }

bool replace_file(const char* from, const char* to) { return std::rename(from, to) == 0; }

bool remove_plain_file(const char* path) {
    struct stat info {};
    if (lstat(path, &info) != 0) return true;
    return S_ISREG(info.st_mode) && unlink(path) == 0;
}

bool change_directory(const char* path) { return chdir(path) == 0; }

}  // namespace sorvane
