// The few file operations the C library lacks, one implementation per platform.
#pragma once

#include <cstdio>

namespace sorvane {

// Pushes a written file's data to the disk; true on success.
bool sync_to_disk(std::FILE* file);

// Puts the file `from` in the place of `to`, replacing it in one step; true on success.
bool replace_file(const char* from, const char* to);

// Removes path if it is a plain file, never a device or a folder; true when it is gone.
bool remove_plain_file(const char* path);

// Makes path the current directory; true on success.
bool change_directory(const char* path);

}  // namespace sorvane
