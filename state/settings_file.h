// The settings file Sorvane.ini: the state carried from one run to the next, as twenty
// numbers and ten texts, a line each. This file alone knows which line holds which field.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>

#include "core/files.h"
#include "state/app_state.h"

namespace sorvane {

inline constexpr int setting_count = 20;
inline constexpr int text_slot_count = 10;

// The field of the state that a number line (0 to 19) or a text line (0 to 9) holds, after
// the line of their count; a line that no field uses is carried through as it was read.
std::int32_t& number_slot(AppState& state, int slot);
StoredText& text_slot(AppState& state, int slot);

enum class LoadOutcome {
    loaded,
    missing,     // no settings file yet: the first run
    unreadable,  // the file is there but could not be read; saving over it would lose it
    damaged,     // it holds a byte 0x1A or NUL, which the program never writes: it is read as far
                 // as it goes, but saving over it would lose what stands after that byte
    no_path,     // no path could be formed
    not_a_file,  // a folder, a device or a FIFO stands in its place
    busy,        // another run kept the file locked for the whole wait
    lock_not_a_file,  // a folder, a device or a FIFO stands in the lock file's place
    lock_is_link,     // a symbolic link stands in the lock file's place
    lock_refused,     // the lock file cannot be opened, made or locked, though its folder can
                      // be written (its error says why)
};
// Of these, busy and the lock's own outcomes read only the language of the file, for the
// message that says why nothing else was done.

// The lock file beside the settings file, on which runs take turns: "Sorvane.ini.lock" beside
// the file that Sorvane.ini stands for, at the end of its links, so that folders linked to one
// settings file share its lock. It is made when missing and may be left in place.
inline constexpr char settings_lock_suffix[] = ".lock";
using LockPath = std::array<char, ini_path_capacity + sizeof settings_lock_suffix>;

// The lock file of the state's settings file; empty when the state has no ini_path or the
// path at the end of its links is too long.
LockPath settings_lock_path(const AppState& state);

// What a try for the lock came to, with the errno of not_opened, taken where it failed.
struct LockAttempt {
    FileLock::Result result = FileLock::Result::locked;
    int error = 0;
    constexpr operator FileLock::Result() const { return result; }
};

// Locks the lock file of the state's settings file, waiting up to wait_ms milliseconds.
LockAttempt lock_settings(const AppState& state, FileLock& lock, int wait_ms);

// What a load came to, with the errno of what failed (an unreadable file, lock_refused), taken
// where it failed; 0 when there is none to tell.
struct LoadResult {
    LoadOutcome outcome = LoadOutcome::loaded;
    int error = 0;
    constexpr operator LoadOutcome() const { return outcome; }
};

// The outcome a lock's result gives a load: loaded where the run may go on (locked, or no
// file can be made in the folder), else busy or the lock's own outcome.
LoadOutcome lock_outcome(FileLock::Result result);

// Whether path names the state's settings file, the file at the end of its links, or its lock
// file, which only a saving command writes: the same file through any name or link, or, where
// there is none yet, the same path. The folder's own Sorvane.ini.lock counts too.
bool names_settings_file(const AppState& state, const char* path);

// How long a run waits for another run in the same folder to finish with the settings file.
inline constexpr int settings_wait_ms = 5'000;

// Clears the settings and texts, forms the state's ini_path in the current directory, reads
// the file if there is one, sets font_path and ini_path_length, and brings a language out of
// range back to Japanese. damaged_line, where given, gets the line of a damaged file's first
// 0x1A or NUL. Where hold is given, the file is locked before it is read, and the lock stays
// in hold until the caller has saved; a lock file that cannot be made in a folder where no
// file can be (a read-only folder) lets the file be read without one. A lock that cannot be
// had for any other reason is an outcome of its own (with the error that says why for
// lock_refused), and the file is then read only for its language.
LoadResult load_settings(AppState& state, int* damaged_line = nullptr, FileLock* hold = nullptr);

// The language of the settings file at path (0 Japanese, 1 English), read as it stands without
// the lock, which is safe since a save replaces the file whole; -1 when it cannot be read.
int settings_file_language(const char* path);

// Reads the lines of a settings file, open for reading, into the settings and texts (as
// loaded, they must be clear before); false when a read error cut it short, whose errno goes
// into error where given.
bool read_settings_file(std::FILE* file, AppState& state, int* error = nullptr);

// The line (from 1) of the first byte 0x1A or NUL in a file open for reading, which is read
// to its end; 0 when there is none or the file cannot be read again from its start.
int damaged_line_of(std::FILE* file);

struct WindowRect {
    std::int32_t left, top, right, bottom;
};

enum class SaveOutcome {
    saved,
    no_path,       // ini_path is empty
    not_opened,    // the file or the folder cannot be written; the old file is untouched
    write_failed,  // the new file did not reach the disk; the old file is untouched
};

// What a save came to, with the errno of what failed, taken where it failed.
struct SaveResult {
    SaveOutcome outcome = SaveOutcome::saved;
    int error = 0;
    constexpr operator SaveOutcome() const { return outcome; }
};

// Writes the settings and texts, with the main window's outer rectangle where there is one
// (null keeps slots 1 to 4). The new file is written beside the old one and put in its place
// only when complete.
SaveResult save_settings(AppState& state, const WindowRect* window);

}  // namespace sorvane
