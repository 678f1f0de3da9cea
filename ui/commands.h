// The window's dispatcher: what a click on each control row does. It finds the row's command
// in the table of commands every face shares, asks for its file where the command's dialog
// says so, and lends the command the window: its message box, its list boxes, its buttons.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/command_table.h"

namespace sorvane {

// What the window lends the dispatcher; the tests lend a recorder. Each operation that a
// window does not have does nothing.
class WindowFace {
public:
    virtual ~WindowFace() = default;
    // Offers path (capacity bytes, filled with the last path) in the open or the save dialog
    // of a button's row; false when cancelled.
    virtual bool choose_file(int /*row*/, bool /*save*/, char* /*path*/, std::size_t /*capacity*/) { return false; }
    // Shows a message of the message table in a language, under "Open error".
    virtual void show_open_error(int /*message*/, int /*language*/) {}
    // Copies the texts of the edit boxes into their text slots.
    virtual void pull_texts(AppState& /*state*/) {}
    // Replaces the whole text of a list box.
    virtual void set_box_text(int /*row*/, const char* /*text*/) {}
    virtual void set_enabled(int /*row*/, bool /*enabled*/) {}
    virtual void set_checked(int /*row*/, bool /*checked*/) {}
    virtual void set_label(int /*row*/, const char* /*label*/) {}
    // The "#" button: the window at its default size.
    virtual void resize_to_default() {}
    // Redraws the whole window, so the painted counters show the new counts.
    virtual void repaint() {}
    // The time a generation writes into the banner.
    virtual BannerTime now() { return local_time_now(); }
};

// Runs the command of a command word on the state: the row number in its low 16 bits, a
// notification code in its high 16 bits (anything but 0 is ignored, without even a repaint).
void dispatch(AppState& state, WindowFace& window, std::uint32_t command_word);

// Disables (on) or enables the seven controls that must not be used while a command runs,
// in the order: text file, generate, add, clear all, sort, detected box, registered box.
void busy_lock(WindowFace& window, bool on);

// Gives every button and static label its label in the state's language.
void relabel(const AppState& state, WindowFace& window);

}  // namespace sorvane
