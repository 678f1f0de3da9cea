// The settings file Sorvane.ini: both state tables carried from one run to the next.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>

namespace sorvane {

inline constexpr std::size_t ini_path_capacity = 1000;

// The full path of Sorvane.ini in the directory that was current at the load; empty when
// none could be formed, and then nothing is loaded or saved.
extern std::array<char, ini_path_capacity> ini_path;

enum class LoadOutcome {
    loaded,
    missing,     // no settings file yet: the first run
    unreadable,  // the file is there but could not be read; saving over it would lose it
    no_path,     // ini_path is empty
};

// Clears both tables, forms ini_path, reads the file if there is one, sets font_path and
// ini_path_length, and brings a language out of range back to Japanese.
LoadOutcome load_settings();

// Reads the lines of a settings file, open for reading, into both tables (as loaded, the
// tables must be clear before); false when a read error cut it short.
bool read_settings_file(std::FILE* file);

struct WindowRect {
    std::int32_t left, top, right, bottom;
};

enum class SaveOutcome {
    saved,
    no_path,     // ini_path is empty
    not_opened,  // the file or the folder cannot be written; the old file is untouched
    write_failed,  // the new file did not reach the disk; the old file is untouched
};

// Writes both tables. pull_texts copies the boxes into their slots; window_rect yields the
// main window's outer rectangle or returns false, and slots 1 to 4 then keep their values.
// The new file is written beside the old one and put in its place only when complete.
SaveOutcome save_settings(void (*pull_texts)(), bool (*window_rect)(WindowRect& rect));

}  // namespace sorvane
