// The few file operations the C library lacks, one implementation per platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace sorvane {

// Pushes a written file's data to the disk; true on success.
bool sync_to_disk(std::FILE* file);

// Puts the file `from` in the place of `to`, replacing it in one step, and pushes the
// folder's new entry to the disk (as far as the system lets it: the move is done when this
// part fails); true on success. With sync_to_disk before it, the path every output takes.
bool replace_file(const char* from, const char* to);

// Removes path if it is a plain file, never a device or a folder; true when it is gone.
bool remove_plain_file(const char* path);

// What is wrong with a path that is_special_file finds.
inline constexpr const char* not_a_file_reason = "a folder, a device or a FIFO, not a file";

// Whether something is there at path that is not a plain file on disk: a device, a FIFO, a
// folder. Links are followed.
bool is_special_file(const char* path);

// Whether two paths name one file that is there, through links and other names.
bool same_file(const char* a, const char* b);

// Whether two paths name one place for a file, there yet or not: one file that is there, or
// one name in one folder, the folder known by its identity (through links and other names)
// and a link in the last place followed as link_target follows it. The names are compared
// as the system does: exactly on POSIX systems, without regard to case on Windows.
bool same_place(const char* a, const char* b);

// The file a path stands for: a symbolic link's target, followed to its end (a target that is
// not there yet included, except on Windows), else the path itself; written into out. False
// when it does not fit.
bool link_target(const char* path, char* out, std::size_t capacity);

// Creates a new empty file beside path, named path, a dot and an ending no file there has,
// never through a link, with the permissions of the file at path where there is one. Its
// name goes into temp. Null, with errno set, when it cannot.
std::FILE* create_beside(const char* path, char* temp, std::size_t capacity);

// An exclusive lock on a lock file, held by one run from the moment it reads the file the lock
// guards until it has put the rewritten file in place, so that runs in one folder take their
// turns. The lock file is made, empty, when it is not there, and is never replaced or removed,
// so the lock holds however the guarded file is replaced (a save, an editor, git). It follows
// the file itself, not the path's text: a link to the folder meets the same lock. A run goes
// without it only where no file can be made in its folder, where no save can succeed either.
class FileLock {
public:
    enum class Result {
        locked,
        busy,         // another run kept it for the whole wait
        not_a_file,   // a folder, a device or a FIFO stands there
        a_link,       // a symbolic link stands there; it is never followed
        not_opened,   // it cannot be opened, made or locked in a folder that can be written
                      // (error() says why); nothing is locked, and the run must not go on
        no_folder_write,  // it cannot be opened or made, nor can any file in its folder:
                          // nothing is locked, and the run may go on, since it can save nothing
    };

    FileLock() = default;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock() { release(); }

    // Waits up to wait_ms milliseconds for the lock on the file at path.
    Result acquire(const char* path, int wait_ms);
    void release();
    // The errno of the last acquire's not_opened, taken where it failed; 0 for another result.
    int error() const { return error_; }

private:
    std::intptr_t handle_ = -1;
    int error_ = 0;
};

// Makes path the current directory; true on success, else errno says why.
bool change_directory(const char* path);

// The folder an installed Sorvane keeps its font source files in, found from the running
// program: share/sorvane beside its bin folder on POSIX systems, the program's own folder on
// Windows. Written into out without a separator at the end; false when it cannot be found.
bool installed_font_folder(char* out, std::size_t capacity);

}  // namespace sorvane
