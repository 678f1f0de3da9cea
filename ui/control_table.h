// Everything on the main window as data: one row per item, its identifier the row number,
// its label in both languages; and the texts of the window.
#pragma once

#include "app/command_table.h"

#include <array>
#include <cstdint>

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

struct ControlRow {
    std::int32_t type;
    std::int32_t slot;        // the setting or text slot the item shows or sets; -1 for none
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
