// The commands behind the window's buttons, shared by every face of the program: the window
// presses them with a click, sorvane-cli with its command line, the tests with a recorder.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/kanji_grid.h"
#include "fontgen/include_writer.h"

namespace sorvane {

// What a face lends the commands: how it gets a path, shows a message and holds the list
// texts. An operation left null is one the face does not have. The list boxes themselves
// are reached through list_boxes.
struct Face {
    // Offers path (capacity bytes, filled with the last path) in the open dialog of the
    // "text file" button or the save dialog of "Generating font data"; false when cancelled.
    bool (*choose_file)(int row, char* path, std::size_t capacity) = nullptr;
    // Shows a message of the message table, in the current language, under "Open error".
    void (*show_open_error)(int message) = nullptr;
    // Copies the texts of the edit boxes into their text slots.
    void (*pull_texts)() = nullptr;
    void (*set_enabled)(int row, bool enabled) = nullptr;
    void (*set_checked)(int row, bool checked) = nullptr;
    void (*set_label)(int row, const char* label) = nullptr;
    // The "#" button: the window at its default size.
    void (*resize_to_default)() = nullptr;
    // Redraws the whole window, so the painted counters show the new counts.
    void (*repaint)() = nullptr;
};

extern Face face;

// What the last "Generating font data" did, for a face to report.
extern Generation last_generation;

// How a face reads one chosen file into marks of its characters; false when it could not,
// after it has said why.
using MarkFile = bool (*)(const char* path, KanjiGrid& found);

// Reads a Shift_JIS file as the window does; shows "Can't open the input file." when the
// file cannot be opened or read.
bool mark_shift_jis_file(const char* path, KanjiGrid& found);

// The "text file" command once its files are chosen: input_path becomes the last of them;
// each is read through mark_file; when every one could be read, the detected list becomes
// the characters of all of them together that are not yet registered. Otherwise no list
// changes. True when the lists were updated.
bool scan_files(const char* const* paths, int count, MarkFile mark_file);

// Runs the command of a command word: the row number in its low 16 bits, a notification
// code in its high 16 bits (anything but 0 is ignored, without even a repaint).
void dispatch(std::uint32_t command_word);

// Disables (on) or enables the seven controls that must not be used while a command runs,
// in the order: text file, generate, add, clear all, sort, detected box, registered box.
void busy_lock(bool on);

// Gives every button and static label its label in the current language.
void relabel();

// Makes language the language of labels and messages (0 Japanese, 1 English) and relabels.
void choose_language(int language);

// Checks the radio button of a row and stores its value in its group's setting, taking the
// check mark from the button checked so far. Rows that are no radio button change nothing.
void select_radio(int row);

}  // namespace sorvane
