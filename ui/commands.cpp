#include "ui/commands.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "ui/control_table.h"

namespace sorvane {

namespace {

// The list boxes a command rewrote take their texts anew.
void show_lists(const AppState& state, WindowFace& window, unsigned lists) {
    if (lists & detected_list) window.set_box_text(detected_box, state.lists.detected.c_str());
    if (lists & registered_list) window.set_box_text(registered_box, state.lists.registered.c_str());
}

// The window as the commands see it. It holds the lists in its boxes: they are pulled into
// the state once a command is about to read them, after the files it needs have been
// opened, under the busy lock, which is released before the dispatcher returns. It shows the
// open errors in its message box and has no other words.
class CommandFace final : public Face {
public:
    CommandFace(AppState& state, WindowFace& window) : state_(state), window_(window) {}
    ~CommandFace() override { unlock(); }
    void pull() const override {
        busy_lock(window_, true);
        locked_ = true;
        window_.pull_texts(state_);
    }
    void show(unsigned lists) const override { show_lists(state_, window_, lists); }
    bool report(const AppState& state, const Outcome& outcome) const override {
        if (!outcome.ok() && outcome.message != message_said) window_.show_open_error(outcome.message, state.language());
        return outcome.ok();
    }
    BannerTime now() const override { return window_.now(); }
    void unlock() const {
        if (locked_) busy_lock(window_, false);
        locked_ = false;
    }

private:
    AppState& state_;
    WindowFace& window_;
    mutable bool locked_ = false;
};

// The path a button's dialog offers: the last text file, or the last output file (Font.inc
// at first).
const char* offered_path(AppState& state, Dialog dialog) {
    return dialog == Dialog::save ? offered_output_path(state) : state.paths.input.c_str();
}

// Asks the window for the file of a button's row, starting from the path its dialog offers;
// false when cancelled.
bool choose_file(AppState& state, WindowFace& window, int row, Dialog dialog, std::array<char, text_slot_size>& chosen) {
    const std::string_view last = offered_path(state, dialog);
    const std::size_t n = std::min(last.size(), chosen.size() - 1);
    std::memcpy(chosen.data(), last.data(), n);
    chosen[n] = '\0';
    if (!window.choose_file(row, dialog == Dialog::save, chosen.data(), chosen.size())) return false;
    chosen.back() = '\0';
    return true;
}

bool is_radio_of_group(std::int64_t row, std::int32_t group_base) {
    if (row < 0 || row >= control_row_count) return false;
    const ControlRow& r = control_table[static_cast<std::size_t>(row)];
    return r.type == radio_button && r.group_base == group_base;
}

// Takes the check mark from the button of a radio button's group checked so far, where the
// stored value names one.
void uncheck_group(const AppState& state, WindowFace& window, const ControlRow& r) {
    const std::optional<std::int32_t> chosen = shown_number(state, r.slot);
    if (!chosen) return;
    const std::int64_t checked_row = std::int64_t{*chosen} + r.group_base;
    if (is_radio_of_group(checked_row, r.group_base)) window.set_checked(static_cast<int>(checked_row), false);
}

// Runs a row's command: its file chosen first where its dialog says so, then the command
// with the window lent, then its failure shown once the buttons are free again.
void run_command(AppState& state, WindowFace& window, const CommandRow& command, int row, int choice) {
    std::array<char, text_slot_size> chosen;
    const char* files[] = {chosen.data()};
    CommandFace face(state, window);
    Request request(face);
    request.choice = choice;
    if (command.dialog != Dialog::none) {
        if (!choose_file(state, window, row, command.dialog, chosen)) return;
        // The window keeps the path its save dialog returned, even for a generation refused.
        if (command.dialog == Dialog::save) state.paths.output.store(chosen.data());
        request.files = files;
    }
    const int language = state.language();
    const Outcome outcome = command.run(state, request);
    face.unlock();
    face.report(state, outcome);
    if (state.language() != language) relabel(state, window);
}

}  // namespace

std::optional<std::int32_t> shown_number(const AppState& state, std::int32_t field) {
    switch (field) {
    case shows_output_sequence: return state.output_sequence;
    case compiler: return state.compiler.stored;
    case shows_registered_count: return state.counters.registered;
    case shows_detected_count: return state.counters.detected;
    case font_kind: return state.font.stored;
    default: return std::nullopt;
    }
}

StoredText* shown_text(AppState& state, std::int32_t field) {
    switch (field) {
    case shows_input_path: return &state.paths.input;
    case shows_output_path: return &state.paths.output;
    case shows_detected_list: return &state.lists.detected;
    case shows_registered_list: return &state.lists.registered;
    default: return nullptr;
    }
}

void busy_lock(WindowFace& window, bool on) {
    for (const int row : {int{text_file_button}, int{generate_button}, int{add_button}, int{clear_all_button},
                          int{sort_button}, int{detected_box}, int{registered_box}}) {
        window.set_enabled(row, !on);
    }
}

void relabel(const AppState& state, WindowFace& window) {
    for (int row = 0; row < control_row_count; ++row) {
        switch (control_table[static_cast<std::size_t>(row)].type) {
        case push_button:
        case radio_button:
        case check_box:
        case group_box:
        case static_label:
            window.set_label(row, label_of(row, state.language()));
            break;
        default:
            break;
        }
    }
}

void dispatch(AppState& state, WindowFace& window, std::uint32_t command_word) {
    if ((command_word >> 16) != 0) return;  // notifications, such as an edit box's changes
    const int row = static_cast<int>(command_word & 0xFFFF);
    if (row == default_size_button) {
        window.resize_to_default();
    } else if (row < control_row_count) {
        // A radio button runs its group's command with its place in the group as the choice.
        const ControlRow& r = control_table[static_cast<std::size_t>(row)];
        const bool radio = r.type == radio_button;
        if (const CommandRow* command = command_of_window_row(radio ? r.group_base : row)) {
            if (radio) uncheck_group(state, window, r);
            run_command(state, window, *command, row, radio ? row - r.group_base : -1);
            if (radio) window.set_checked(row, true);
        }
    }
    window.repaint();
}

}  // namespace sorvane
