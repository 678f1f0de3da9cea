#include "ui/commands.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/files.h"
#include "core/list_ops.h"
#include "core/scanner.h"
#include "core/text_stream.h"
#include "state/app_state.h"
#include "ui/control_table.h"

namespace sorvane {

Face face{};
Generation last_generation{};

namespace {

// The path a file dialog starts from and returns.
std::array<char, text_slot_size> chosen_path;

void show(int message) {
    if (face.show_open_error) face.show_open_error(message);
}

void pull_texts() {
    if (face.pull_texts) face.pull_texts();
}

void show_font_open_error() { show(message_cannot_open_input); }

// Asks the face for the file of a button's row, starting from the path in the row's text
// slot; stores the choice there. False when cancelled.
bool choose_file(int row) {
    const int slot = control_table[static_cast<std::size_t>(row)].slot;
    const std::string_view last = text_of(slot);
    std::memcpy(chosen_path.data(), last.data(), last.size());
    chosen_path[last.size()] = '\0';
    if (!face.choose_file || !face.choose_file(row, chosen_path.data(), chosen_path.size())) return false;
    chosen_path.back() = '\0';
    store_text(slot, chosen_path.data());
    return true;
}

void run_list_operation(void (*operation)()) {
    busy_lock(true);
    pull_texts();
    operation();
    busy_lock(false);
}

void scan_text_file() {
    if (!choose_file(text_file_button)) return;
    const char* path = text_slots[input_path].data();
    scan_files(&path, 1, mark_shift_jis_file);
}

void generate_font_data() {
    if (text_of(output_path).empty()) store_text(output_path, "Font.inc");
    if (!choose_file(generate_button)) return;
    const char* path = text_slots[output_path].data();
    std::FILE* file = std::fopen(path, "wb");
    if (!file) {
        show(message_cannot_create_output);
        return;
    }
    busy_lock(true);
    pull_texts();
    bool complete = false;
    {
        TextWriter out(file);
        last_generation = write_include_file(out, show_font_open_error);
        complete = last_generation.written;
    }
    complete = std::fclose(file) == 0 && complete;
    // A file cut short by a full disk must not pass for a generated one.
    if (!complete) {
        const int error = errno;  // the reason of the failure, for a face that tells it
        remove_plain_file(path);
        errno = error;
    }
    last_generation.written = complete;
    busy_lock(false);
    if (!complete) show(message_cannot_create_output);
}

bool is_radio_of_group(std::int64_t row, std::int32_t group_base) {
    if (row < 0 || row >= control_row_count) return false;
    const ControlRow& r = control_table[static_cast<std::size_t>(row)];
    return r.type == radio_button && r.group_base == group_base;
}

}  // namespace

bool mark_shift_jis_file(const char* path, KanjiGrid& found) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        show(message_cannot_open_input);
        return false;
    }
    std::array<std::uint8_t, 1 << 16> buffer;
    TextReader in(file, buffer);
    mark_characters(in, found);
    std::fclose(file);
    // A read error cuts the text short: its characters are not all known.
    if (in.read_failed()) show(message_cannot_open_input);
    return !in.read_failed();
}

bool scan_files(const char* const* paths, int count, MarkFile mark_file) {
    if (count <= 0) return false;
    store_text(input_path, paths[count - 1]);
    static KanjiGrid found;
    clear(found);
    for (int i = 0; i < count; ++i) {
        if (!mark_file(paths[i], found)) return false;
    }
    busy_lock(true);
    pull_texts();
    detect_characters(found);
    busy_lock(false);
    return true;
}

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
            face.set_label(row, label_of(row, current_language()));
            break;
        default:
            break;
        }
    }
}

void choose_language(int new_language) {
    settings[language] = new_language == 1 ? 1 : 0;
    relabel();
}

void select_radio(int row) {
    if (row < 0 || row >= control_row_count) return;
    const ControlRow& r = control_table[static_cast<std::size_t>(row)];
    if (r.type != radio_button) return;
    std::int32_t& value = settings[static_cast<std::size_t>(r.slot)];
    // A stored value outside the group checked no button; there is none to uncheck then.
    const std::int64_t checked_row = std::int64_t{value} + r.group_base;
    if (face.set_checked && is_radio_of_group(checked_row, r.group_base)) face.set_checked(static_cast<int>(checked_row), false);
    value = row - r.group_base;
    if (face.set_checked) face.set_checked(row, true);
}

void dispatch(std::uint32_t command_word) {
    if ((command_word >> 16) != 0) return;  // notifications, such as an edit box's changes
    const int row = static_cast<int>(command_word & 0xFFFF);
    switch (row) {
    case language_button: choose_language(current_language() == 0 ? 1 : 0); break;
    case default_size_button:
        if (face.resize_to_default) face.resize_to_default();
        break;
    case clear_detected_button: run_list_operation(clear_detected_list); break;
    case text_file_button: scan_text_file(); break;
    case add_button: run_list_operation(add_detected_to_registered); break;
    case clear_all_button: run_list_operation(clear_registered_list); break;
    case sort_button: run_list_operation(sort_registered_list); break;
    case remove_button: run_list_operation(remove_detected_from_registered); break;
    case generate_button: generate_font_data(); break;
    default: select_radio(row); break;
    }
    if (face.repaint) face.repaint();
}

}  // namespace sorvane
