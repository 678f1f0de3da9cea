#include "ui/layout.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

TEST(Layout, CellOfVariableAndFixedPitchFonts) {
    const CellSize variable = measure_cell(7, 16, 0, 0x21);
    EXPECT_EQ(variable.width, 10) << "a variable-pitch average width 7 is taken as 10";
    EXPECT_EQ(variable.height, 16);
    const CellSize fixed = measure_cell(8, 16, 2, 0x30);
    EXPECT_EQ(fixed.width, 8);
    EXPECT_EQ(fixed.height, 18) << "height plus external leading";
}

TEST(Layout, RowRectanglesInPixels) {
    const CellSize cell{10, 16};
    const PixelRect box = layout_rect(control_table[7], cell, 0, 0);
    EXPECT_EQ(box.left, 15);
    EXPECT_EQ(box.right, 515);
    EXPECT_EQ(box.top, 64);
    EXPECT_EQ(box.bottom, 128);
    ControlRow r = control_table[7];
    r.x1 = 25;
    EXPECT_EQ(layout_rect(r, {7, 16}, 0, 0).left, 17) << "multiplied before divided";
    const PixelRect scrolled = layout_rect(control_table[7], cell, -2, -1);
    EXPECT_EQ(scrolled.left, 15 - 20);
    EXPECT_EQ(scrolled.top, 64 - 16);
}

TEST(Layout, ScrolledLeftPaintedCounterDisappearsButButtonsStay) {
    const CellSize cell{10, 16};
    EXPECT_TRUE(is_painted(control_table[19]));
    EXPECT_LT(layout_rect(control_table[19], cell, -3, 0).left, 0) << "not drawn at all";
    EXPECT_FALSE(is_painted(control_table[6]));
    EXPECT_FALSE(is_painted(control_table[10]));
    EXPECT_GT(layout_rect(control_table[6], cell, -3, 0).right, 0) << "the button is still seen in part";
}

TEST(Layout, DefaultWindowSize) {
    const PixelSize size = default_window_size({10, 16});
    EXPECT_EQ(size.width, 550);
    EXPECT_EQ(size.height, 584);
    EXPECT_EQ(default_window_size({7, 15}).height, 547) << "15 * 365 / 10, truncated";
}

TEST(Layout, ScrollRequests) {
    // request, expected position from 5 with page 4, track 9, range 0..32
    const int cases[][2] = {{0, 4}, {1, 6}, {2, 1}, {3, 9}, {4, 5}, {5, 9}, {6, 0}, {7, 32}, {8, 5}, {99, 5}};
    for (const auto& c : cases) EXPECT_EQ(requested_position(c[0], 5, 4, 9, 0, 32), c[1]) << "request " << c[0];
}

TEST(Layout, ScrollAmountNeverMakesTheOffsetPositive) {
    EXPECT_EQ(scroll_amount(0, 1, 0), -1) << "line down moves the layout up";
    EXPECT_EQ(scroll_amount(3, 2, -3), 1);
    EXPECT_EQ(scroll_amount(10, 0, -4), 4) << "at most back home";
}

TEST(Layout, GrowingWindowPullsTheLayoutBack) {
    EXPECT_EQ(scroll_back_amount(0, 40, 32), 0) << "not scrolled";
    EXPECT_EQ(scroll_back_amount(-10, 20, 32), 0) << "the far edge is still outside";
    EXPECT_EQ(scroll_back_amount(-10, 25, 32), 3) << "until the far edge meets the window's edge";
    EXPECT_EQ(scroll_back_amount(-10, 60, 32), 10) << "never past home";
}

}  // namespace
}  // namespace sorvane
