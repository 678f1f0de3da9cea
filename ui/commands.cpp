#include "ui/commands.h"

#include <array>
#include <cstring>

#include "ui/control_table.h"

namespace sorvane {

namespace {

// The list boxes a command rewrote take their texts anew.
void show_lists(const AppState& state, Face& face, unsigned lists) {
    if (lists & detected_list) face.set_box_text(detected_box, state.text_slots[detected_text].data());
    if (lists & registered_list) face.set_box_text(registered_box, state.text_slots[registered_text].data());
}

void report(const AppState& state, Face& face, const Outcome& outcome) {
    if (!outcome.ok() && outcome.message != message_said) face.show_open_error(outcome.message, state.language());
}

// Asks the face for the file of a button's row, starting from a path; false when cancelled.
bool choose_file(Face& face, int row, bool save, std::string_view last, std::array<char, text_slot_size>& chosen) {
    const std::size_t n = std::min(last.size(), chosen.size() - 1);
    std::memcpy(chosen.data(), last.data(), n);
    chosen[n] = '\0';
    if (!face.choose_file(row, save, chosen.data(), chosen.size())) return false;
    chosen.back() = '\0';
    return true;
}

// The lists as the window holds them: pulled from its boxes once a command is about to read
// them, after the files it needs have been opened, under the busy lock, which is released
// before the dispatcher returns.
class WindowLists final : public ListHolder {
public:
    WindowLists(AppState& state, Face& face) : state_(state), face_(face) {}
    ~WindowLists() override {
        if (locked_) busy_lock(face_, false);
    }
    void pull() const override {
        busy_lock(face_, true);
        locked_ = true;
        face_.pull_texts(state_);
    }
    void show(unsigned lists) const override { show_lists(state_, face_, lists); }
    void unlock() {
        if (locked_) busy_lock(face_, false);
        locked_ = false;
    }

private:
    AppState& state_;
    Face& face_;
    mutable bool locked_ = false;
};

template <Outcome (*command)(AppState&)>
void run_list_command(AppState& state, Face& face) {
    WindowLists lists(state, face);
    lists.pull();
    show_lists(state, face, command(state).lists);
}

void scan_text_file(AppState& state, Face& face) {
    std::array<char, text_slot_size> chosen;
    if (!choose_file(face, text_file_button, false, state.text(input_path), chosen)) return;
    const char* paths[] = {chosen.data()};
    WindowLists lists(state, face);
    const Outcome outcome = scan_files(state, paths, mark_shift_jis_file, lists);
    lists.unlock();
    report(state, face, outcome);
}

void generate_font_data(AppState& state, Face& face) {
    std::array<char, text_slot_size> chosen;
    if (!choose_file(face, generate_button, true, offered_output_path(state), chosen)) return;
    // The window keeps the path its dialog returned, even for a generation that is refused.
    state.store_text(output_path, chosen.data());
    WindowLists lists(state, face);
    const Generation generation = generate(state, chosen.data(), face.now(), lists);
    report(state, face, generation.font);  // while the lock is held, as the font is read during the work
    lists.unlock();
    report(state, face, generation.outcome);
}

void toggle_language(AppState& state, Face& face) {
    choose_language(state, state.language() == 0 ? 1 : 0);
    relabel(state, face);
}

void resize_to_default(AppState&, Face& face) { face.resize_to_default(); }

// The command of each button; the radio buttons choose through their group's command.
struct RowCommand {
    int row;
    void (*run)(AppState&, Face&);
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

void busy_lock(Face& face, bool on) {
    for (const int row : {text_file_button, generate_button, add_button, clear_all_button, sort_button, detected_box,
                          registered_box}) {
        face.set_enabled(row, !on);
    }
}

void relabel(const AppState& state, Face& face) {
    for (int row = 0; row < control_row_count; ++row) {
        switch (control_table[static_cast<std::size_t>(row)].type) {
        case push_button:
        case radio_button:
        case check_box:
        case group_box:
        case static_label:
            face.set_label(row, label_of(row, state.language()));
            break;
        default:
            break;
        }
    }
}

void select_radio(AppState& state, Face& face, int row) {
    if (row < 0 || row >= control_row_count) return;
    const ControlRow& r = control_table[static_cast<std::size_t>(row)];
    if (r.type != radio_button) return;
    const std::int32_t value = state.settings[static_cast<std::size_t>(r.slot)];
    // A stored value outside the group checked no button; there is none to uncheck then.
    const std::int64_t checked_row = std::int64_t{value} + r.group_base;
    if (is_radio_of_group(checked_row, r.group_base)) face.set_checked(static_cast<int>(checked_row), false);
    for (const RadioGroup& group : radio_groups)
        if (group.setting == r.slot) group.choose(state, row - r.group_base);
    face.set_checked(row, true);
}

void dispatch(AppState& state, Face& face, std::uint32_t command_word) {
    if ((command_word >> 16) != 0) return;  // notifications, such as an edit box's changes
    const int row = static_cast<int>(command_word & 0xFFFF);
    bool found = false;
    for (const RowCommand& command : row_commands) {
        if (command.row == row) {
            command.run(state, face);
            found = true;
        }
    }
    if (!found) select_radio(state, face, row);
    face.repaint();
}

}  // namespace sorvane
