#include "ui/commands.h"

#include <array>
#include <cstring>

#include "ui/control_table.h"

namespace sorvane {

Face face{};

namespace {

// The list boxes a command rewrote take their texts anew.
void show_lists(unsigned lists) {
    if (!face.set_box_text) return;
    if (lists & detected_list) face.set_box_text(detected_box, app_state.text_slots[detected_text].data());
    if (lists & registered_list) face.set_box_text(registered_box, app_state.text_slots[registered_text].data());
}

void report(const Outcome& outcome) {
    if (!outcome.ok() && outcome.message != message_said && face.show_open_error) face.show_open_error(outcome.message);
}

// Asks the face for the file of a button's row, starting from a path; false when cancelled.
bool choose_file(int row, std::string_view last, std::array<char, text_slot_size>& chosen) {
    const std::size_t n = std::min(last.size(), chosen.size() - 1);
    std::memcpy(chosen.data(), last.data(), n);
    chosen[n] = '\0';
    if (!face.choose_file || !face.choose_file(row, chosen.data(), chosen.size())) return false;
    chosen.back() = '\0';
    return true;
}

// The busy lock is taken once a command is about to read the lists, after the files it
// needs have been opened, and released before the dispatcher returns.
bool locked = false;

void lock_and_pull() {
    busy_lock(true);
    locked = true;
    if (face.pull_texts) face.pull_texts();
}

void unlock() {
    if (locked) busy_lock(false);
    locked = false;
}

constexpr ListHolder window_lists{lock_and_pull, show_lists};

template <Outcome (*command)(AppState&)>
void run_list_command() {
    lock_and_pull();
    show_lists(command(app_state).lists);
    unlock();
}

void scan_text_file() {
    std::array<char, text_slot_size> chosen;
    if (!choose_file(text_file_button, app_state.text(input_path), chosen)) return;
    const char* paths[] = {chosen.data()};
    const Outcome outcome = scan_files(app_state, paths, mark_shift_jis_file, window_lists);
    unlock();
    report(outcome);
}

void generate_font_data() {
    std::array<char, text_slot_size> chosen;
    if (!choose_file(generate_button, offered_output_path(app_state), chosen)) return;
    // The window keeps the path its dialog returned, even for a generation that is refused.
    app_state.store_text(output_path, chosen.data());
    const Generation generation = generate(app_state, chosen.data(), face.now ? face.now() : local_time_now(), window_lists);
    report(generation.font);  // while the lock is held, as the font is read during the work
    unlock();
    report(generation.outcome);
}

void toggle_language() {
    choose_language(app_state, app_state.language() == 0 ? 1 : 0);
    relabel();
}

void resize_to_default() {
    if (face.resize_to_default) face.resize_to_default();
}

// The command of each button; the radio buttons choose through their group's command.
struct RowCommand {
    int row;
    void (*run)();
};

constexpr RowCommand row_commands[] = {
    {language_button, toggle_language},
    {default_size_button, resize_to_default},
    {clear_detected_button, run_list_command<clear_detected>},
    {text_file_button, scan_text_file},
    {add_button, run_list_command<add_detected>},
    {clear_all_button, run_list_command<clear_registered>},
    {sort_button, run_list_command<sort_registered>},
    {remove_button, run_list_command<remove_detected>},
    {generate_button, generate_font_data},
};

using ChoiceCommand = Outcome (*)(AppState&, int);

struct RadioGroup {
    int setting;
    ChoiceCommand choose;
};

constexpr RadioGroup radio_groups[] = {
    {font_kind, choose_font},
    {compiler, choose_compiler},
    {output_sequence, choose_output_sequence},
};

bool is_radio_of_group(std::int64_t row, std::int32_t group_base) {
    if (row < 0 || row >= control_row_count) return false;
    const ControlRow& r = control_table[static_cast<std::size_t>(row)];
    return r.type == radio_button && r.group_base == group_base;
}

}  // namespace

void busy_lock(bool on) {
    if (!face.set_enabled) return;
    for (const int row : {text_file_button, generate_button, add_button, clear_all_button, sort_button, detected_box,
                          registered_box}) {
        face.set_enabled(row, !on);
    }
}

void relabel() {
    if (!face.set_label) return;
    for (int row = 0; row < control_row_count; ++row) {
        switch (control_table[static_cast<std::size_t>(row)].type) {
        case push_button:
        case radio_button:
        case check_box:
        case group_box:
        case static_label:
            face.set_label(row, label_of(row, app_state.language()));
            break;
        default:
            break;
        }
    }
}

void select_radio(int row) {
    if (row < 0 || row >= control_row_count) return;
    const ControlRow& r = control_table[static_cast<std::size_t>(row)];
    if (r.type != radio_button) return;
    const std::int32_t value = app_state.settings[static_cast<std::size_t>(r.slot)];
    // A stored value outside the group checked no button; there is none to uncheck then.
    const std::int64_t checked_row = std::int64_t{value} + r.group_base;
    if (face.set_checked && is_radio_of_group(checked_row, r.group_base)) face.set_checked(static_cast<int>(checked_row), false);
    for (const RadioGroup& group : radio_groups)
        if (group.setting == r.slot) group.choose(app_state, row - r.group_base);
    if (face.set_checked) face.set_checked(row, true);
}

void dispatch(std::uint32_t command_word) {
    if ((command_word >> 16) != 0) return;  // notifications, such as an edit box's changes
    const int row = static_cast<int>(command_word & 0xFFFF);
    bool found = false;
    for (const RowCommand& command : row_commands) {
        if (command.row == row) {
            command.run();
            found = true;
        }
    }
    if (!found) select_radio(row);
    if (face.repaint) face.repaint();
}

}  // namespace sorvane
