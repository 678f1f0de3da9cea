// The window's dispatcher: what a click on each control row does. It runs the shared
// commands on the program's state and lends them the window's face: its file dialogs, its
// message box, its list boxes, its buttons.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/commands.h"

namespace sorvane {

// What the window lends the dispatcher. An operation left null is one it does not have (the
// tests lend recorders).
struct Face {
    // Offers path (capacity bytes, filled with the last path) in the open dialog of the
    // "text file" button or the save dialog of "Generating font data"; false when cancelled.
    bool (*choose_file)(int row, char* path, std::size_t capacity) = nullptr;
    // Shows a message of the message table, in the current language, under "Open error".
    void (*show_open_error)(int message) = nullptr;
    // Copies the texts of the edit boxes into their text slots.
    void (*pull_texts)() = nullptr;
    // Replaces the whole text of a list box.
    void (*set_box_text)(int row, const char* text) = nullptr;
    void (*set_enabled)(int row, bool enabled) = nullptr;
    void (*set_checked)(int row, bool checked) = nullptr;
    void (*set_label)(int row, const char* label) = nullptr;
    // The "#" button: the window at its default size.
    void (*resize_to_default)() = nullptr;
    // Redraws the whole window, so the painted counters show the new counts.
    void (*repaint)() = nullptr;
    // The time a generation writes into the banner.
    BannerTime (*now)() = local_time_now;
};

extern Face face;

// Runs the command of a command word: the row number in its low 16 bits, a notification
// code in its high 16 bits (anything but 0 is ignored, without even a repaint).
void dispatch(std::uint32_t command_word);

// Disables (on) or enables the seven controls that must not be used while a command runs,
// in the order: text file, generate, add, clear all, sort, detected box, registered box.
void busy_lock(bool on);

// Gives every button and static label its label in the current language.
void relabel();

// Checks the radio button of a row and makes its value its group's choice, taking the
// check mark from the button checked so far. Rows that are no radio button change nothing.
void select_radio(int row);

}  // namespace sorvane
