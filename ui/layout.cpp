#include "ui/layout.h"

#include <algorithm>

namespace sorvane {

CellSize measure_cell(int average_width, int height, int external_leading, unsigned pitch_and_family) {
    // The flag the platform calls TMPF_FIXED_PITCH is set for variable-pitch fonts.
    const int width = (pitch_and_family & 1) ? average_width * 3 / 2 : average_width;
    return {width, height + external_leading};
}

PixelRect layout_rect(const ControlRow& row, CellSize cell, int scroll_x, int scroll_y) {
    const int dx = scroll_x * cell.width;
    const int dy = scroll_y * cell.height;
    return {row.x1 * cell.width / 10 + dx, row.y1 * cell.height / 10 + dy, row.x2 * cell.width / 10 + dx,
            row.y2 * cell.height / 10 + dy};
}

PixelSize default_window_size(CellSize cell) { return {cell.width * 540 / 10 + 10, cell.height * 365 / 10}; }

int requested_position(int request, int old_position, int page, int track_position, int minimum, int maximum) {
    switch (request) {
    case 0: return old_position - 1;     // line up / left
    case 1: return old_position + 1;     // line down / right
    case 2: return old_position - page;  // page up / left
    case 3: return old_position + page;  // page down / right
    case 5: return track_position;       // the thumb being dragged
    case 6: return minimum;              // top / left
    case 7: return maximum;              // bottom / right
    default: return old_position;        // thumb released, end of scroll, anything else
    }
}

int scroll_amount(int old_position, int new_position, int offset) { return std::min(old_position - new_position, -offset); }

int scroll_back_amount(int offset, int visible, int extent) {
    if (offset >= 0 || visible <= offset + extent) return 0;
    return std::min(visible - (offset + extent), -offset);
}

bool is_painted(const ControlRow& row) {
    switch (row.type) {
    case painted_label:
    case painted_text:
    case painted_decimal:
    case painted_hex:
    case painted_edge: return true;
    default: return false;
    }
}

}  // namespace sorvane
