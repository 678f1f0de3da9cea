// The few file operations the C library lacks, one implementation per platform.
#pragma once

#include <cstddef>
#include <cstdio>

namespace sorvane {

// Pushes a written file's data to the disk; true on success.
bool sync_to_disk(std::FILE* file);

// Puts the file `from` in the place of `to`, replacing it in one step; true on success.
bool replace_file(const char* from, const char* to);

// Removes path if it is a plain file, never a device or a folder; true when it is gone.
bool remove_plain_file(const char* path);

// Whether something is there at path that is not a plain file on disk: a device, a FIFO, a
// folder. Links are followed.
bool is_special_file(const char* path);

// The file a path stands for: a symbolic link's target, followed to its end (a target that is
// not there yet included), else the path itself; written into out. False when it does not fit.
bool link_target(const char* path, char* out, std::size_t capacity);

// Creates a new empty file beside path, named path, a dot and an ending no file there has,
// never through a link, with the permissions of the file at path where there is one. Its
// name goes into temp. Null, with errno set, when it cannot.
std::FILE* create_beside(const char* path, char* temp, std::size_t capacity);

// Makes path the current directory; true on success.
bool change_directory(const char* path);

}  // namespace sorvane
