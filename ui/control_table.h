// Everything on the main window as data: one row per item, its identifier the row number,
// its label in both languages; and the texts of the window.
#pragma once

#include "app/command_table.h"

#include <array>
#include <cstdint>
#include <optional>

namespace sorvane {

// Kinds of items; any other value is treated like an empty row.
enum ControlType : std::int32_t {
    empty_row = -1,
    painted_label = 1,
    painted_text = 2,
    painted_decimal = 3,
    painted_hex = 4,
    painted_edge = 11,
    push_button = 21,
    radio_button = 22,
    check_box = 23,
    group_box = 24,
    static_label = 31,
    static_text = 32,
    static_decimal = 33,
    static_hex = 34,
    edit_box = 41,
};

// The field of the state an item shows or sets; -1 for none. The numbers are the table's own.
enum ShownField : std::int32_t {
    shows_input_path = 1,
    shows_output_path = 2,
    shows_detected_list = 3,
    shows_registered_list = 4,
    shows_output_sequence = 8,
    compiler = 9,
    shows_registered_count = 11,
    shows_detected_count = 17,
    font_kind = 18,
};

// The number an item shows or checks (a choice, a count); none for a text or no field.
std::optional<std::int32_t> shown_number(const AppState& state, std::int32_t field);
// The text field an item shows or sets; null for a number or no field.
StoredText* shown_text(AppState& state, std::int32_t field);
inline const StoredText* shown_text(const AppState& state, std::int32_t field) {
    return shown_text(const_cast<AppState&>(state), field);
}

struct ControlRow {
    std::int32_t type;
    std::int32_t slot;        // the ShownField of the item; -1 for none
    std::int32_t group_base;  // radio buttons: first row of the group; edges: edge flags;
                              // other created controls: 2 creates them disabled
    std::int32_t style;       // window style, or text format or edge type when painted
    std::int32_t x1, y1, x2, y2;  // tenths of a character cell
    const char* label_ja;     // Shift_JIS, or null
    const char* label_en;
};

inline constexpr int control_row_count = 50;

// Rows of the items other code names.
// The rows whose buttons run a command are the command table's (app/command_table.h).
enum ControlId : int {
    default_size_button = 2,
    detected_box = 7,
    registered_box = 15,
    jiskan16_radio = 32,
    jiskan24_radio = 33,
    cc_rh_radio = 43,
};

extern const std::array<ControlRow, control_row_count> control_table;

// The row's label in the language of the language setting (see current_language), or null.
const char* label_of(int row, int language);

// The same in both languages.
inline constexpr char window_class_name[] = "Sorvane";
// "Sorvane:漢字フォント・データ生成 R1.10" in Shift_JIS, with the release of the build.
extern const char* const window_title;
inline constexpr char open_error_caption[] = "Open error";
inline constexpr char class_error_text[] = "Few resource or Wrong coding";

}  // namespace sorvane
