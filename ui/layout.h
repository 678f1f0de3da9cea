// The window's geometry as plain arithmetic: the character cell, where each item of the
// control table lies, the default size, and scrolling over the fixed layout.
#pragma once

#include "ui/control_table.h"

namespace sorvane {

// The character cell in pixels, of which a cell unit is one tenth.
struct CellSize {
    int width;   // char_width
    int height;  // line_height
};

// The layout is 52 character columns wide and 32 lines high.
inline constexpr int layout_columns = 52;
inline constexpr int layout_lines = 32;

// The cell of the window's font from its text metrics. A set bit 0 of pitch_and_family
// marks a variable-pitch font, whose average width is taken half again.
CellSize measure_cell(int average_width, int height, int external_leading, unsigned pitch_and_family);

struct PixelRect {
    int left, top, right, bottom;
};

// An item's rectangle in the client area, for the current scroll offsets (in columns and
// lines, never positive).
PixelRect layout_rect(const ControlRow& row, CellSize cell, int scroll_x, int scroll_y);

struct PixelSize {
    int width, height;
};

// The size the "#" button gives the main window.
PixelSize default_window_size(CellSize cell);

// The scroll bar position a request asks for (SB_LINEUP 0 ... SB_BOTTOM 7), before the
// platform clamps it; other requests keep the old position.
int requested_position(int request, int old_position, int page, int track_position, int minimum, int maximum);

// The lines (or columns) to move the layout by when the bar went from old to new position:
// positive moves it down (right); never so far that the offset would become positive.
int scroll_amount(int old_position, int new_position, int offset);

// When a window has grown while the layout is scrolled: how far to pull the layout back
// so that its far edge meets the window's edge, never past its home position.
int scroll_back_amount(int offset, int visible, int extent);

// True for the items the window paints itself rather than as a control.
bool is_painted(const ControlRow& row);

}  // namespace sorvane
