// The targets of the firmware reader (firmware/sorvane_target.c, built as C) against a
// reference written here from sorvane_font.h's formulas a dot at a time: random cells at
// random places, near INT_MIN and INT_MAX and at every edge, into every layout, turned 0 to 3
// times, with a transparent and an opaque background, the buffer guarded on both sides.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

#include "sorvane_cell.h"

namespace {

using Dots = std::vector<std::pair<int, int>>;

void collect(void* ctx, int x, int y) { static_cast<Dots*>(ctx)->emplace_back(x, y); }

struct Cell {
    std::vector<unsigned char> bytes;
    sorvane_cell cell{};
    bool dot(int c, int r) const {
        const int parts = (cell.width + 7) / 8, band = cell.band;
        return cell.bytes && (bytes[static_cast<std::size_t>(r / band * band * parts + c / 8 * band + r % band)] >> c % 8 & 1);
    }
};

Cell random_cell(std::mt19937& random) {
    Cell c;
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    c.cell.width = pick(1, SORVANE_GLYPH_MAX);
    c.cell.height = pick(1, SORVANE_GLYPH_MAX);
    c.cell.band = pick(0, 1) ? pick(1, c.cell.height) : (c.cell.height % 8 ? 1 : 8);
    const int parts = (c.cell.width + 7) / 8, band = c.cell.band;
    c.bytes.resize(static_cast<std::size_t>((c.cell.height + band - 1) / band * band * parts));
    const int density = pick(0, 3);  // none, few, half, most dots set
    for (auto& b : c.bytes)
        for (int bit = 0; bit < 8; ++bit) b = static_cast<unsigned char>(b | (pick(0, 3) < density) << bit);
    c.cell.bytes = pick(0, 9) ? c.bytes.data() : nullptr;
    return c;
}

// A place for a cell of size dots along a side of limit dots: past either end, on each edge,
// inside, or at the ends of an int.
int random_place(std::mt19937& random, int size, int limit) {
    const int near[] = {INT_MIN, INT_MIN + 1, -size - 1, -size, -size + 1, -1, 0, 1, limit - size - 1, limit - size,
                        limit - size + 1, limit - 1, limit, INT_MAX - size, INT_MAX - 1, INT_MAX};
    const int i = std::uniform_int_distribution<int>(0, 2 * static_cast<int>(std::size(near)) - 1)(random);
    if (i < static_cast<int>(std::size(near))) return near[i];
    return std::uniform_int_distribution<int>(-size - 2, limit + 2)(random);
}

constexpr std::size_t guard = 16;
constexpr unsigned char guard_byte = 0xA5;

TEST(FirmwareTarget, BufferLayoutsTurnsAndClippingMatchTheDotByDotReference) {
    std::mt19937 random(20261209);
    for (int round = 0; round < 1500; ++round) {
        const Cell c = random_cell(random);
        const int width = std::uniform_int_distribution<int>(1, 70)(random);
        const int height = std::uniform_int_distribution<int>(1, 50)(random);
        for (int layout = SORVANE_ROWS_MSB; layout <= SORVANE_RGB565_SWAPPED; ++layout) {
            const bool colour = layout >= SORVANE_RGB565;
            const std::size_t size = colour ? 2u * width * height
                                   : layout == SORVANE_PAGES ? std::size_t(width) * ((height + 7) / 8)
                                                             : std::size_t(height) * ((width + 7) / 8);
            for (int turns = 0; turns < 4; ++turns) {
                for (const unsigned long background : {SORVANE_TRANSPARENT, 0x1234ul}) {
                    const bool across = turns % 2;
                    const int x = random_place(random, c.cell.width, across ? height : width);
                    const int y = random_place(random, c.cell.height, across ? width : height);
                    std::vector<unsigned char> buffer(size + 2 * guard);
                    for (auto& b : buffer) b = static_cast<unsigned char>(random());
                    std::fill_n(buffer.begin(), guard, guard_byte);
                    std::fill_n(buffer.end() - guard, guard, guard_byte);
                    std::vector<unsigned char> expected = buffer;
                    const unsigned fg = random() % 2 ? static_cast<unsigned>(random() & 0xFFFF) : 0xFFFF;
                    for (int r = 0; r < c.cell.height; ++r) {
                        for (int col = 0; col < c.cell.width; ++col) {
                            const long long ux = static_cast<long long>(x) + col, uy = static_cast<long long>(y) + r;
                            const long long bx = turns == 0 ? ux : turns == 1 ? width - 1 - uy : turns == 2 ? width - 1 - ux : uy;
                            const long long by = turns == 0 ? uy : turns == 1 ? ux : turns == 2 ? height - 1 - uy : height - 1 - ux;
                            if (bx < 0 || bx >= width || by < 0 || by >= height) continue;
                            const bool set = c.dot(col, r);
                            unsigned char* at = expected.data() + guard;
                            if (colour) {
                                if (!set && background == SORVANE_TRANSPARENT) continue;
                                const unsigned v = set ? fg : static_cast<unsigned>(background);
                                const unsigned short stored =
                                    static_cast<unsigned short>(layout == SORVANE_RGB565 ? v : (v >> 8 | v << 8) & 0xFFFF);
                                std::copy_n(reinterpret_cast<const unsigned char*>(&stored), 2, at + 2 * (by * width + bx));
                            } else if (set && layout == SORVANE_PAGES) {
                                at[by / 8 * width + bx] |= static_cast<unsigned char>(1 << by % 8);
                            } else if (set) {
                                at[by * ((width + 7) / 8) + bx / 8] |=
                                    static_cast<unsigned char>(layout == SORVANE_ROWS_MSB ? 0x80 >> bx % 8 : 1 << bx % 8);
                            }
                        }
                    }
                    sorvane_target target;
                    ASSERT_EQ(sorvane_target_buffer(&target, buffer.data() + guard, width, height, layout), SORVANE_OK);
                    if (background != SORVANE_TRANSPARENT || fg != 0xFFFF) sorvane_target_colors(&target, fg, background);
                    sorvane_target_rotate(&target, turns - 4 * (round % 3 - 1));  // any int, taken modulo 4
                    sorvane_put_cell(&target, x, y, &c.cell);
                    ASSERT_EQ(buffer, expected) << "round " << round << " layout " << layout << " turns " << turns << " x " << x
                                                << " y " << y << " cell " << c.cell.width << "x" << c.cell.height << " band "
                                                << c.cell.band << " buffer " << width << "x" << height;
                }
            }
        }
        // The plot target sees every set dot whose coordinates an int holds, and no other.
        const int x = random_place(random, c.cell.width, 1000), y = random_place(random, c.cell.height, 1000);
        Dots seen, expected;
        for (int r = 0; r < c.cell.height; ++r)
            for (int col = 0; col < c.cell.width; ++col)
                if (c.dot(col, r) && static_cast<long long>(x) + col <= INT_MAX && static_cast<long long>(y) + r <= INT_MAX)
                    expected.emplace_back(x + col, y + r);
        sorvane_target target;
        sorvane_target_plot(&target, collect, &seen);
        sorvane_target_rotate(&target, 1);  // a plot target is not turned
        sorvane_put_cell(&target, x, y, &c.cell);
        std::sort(seen.begin(), seen.end());
        std::sort(expected.begin(), expected.end());
        ASSERT_EQ(seen, expected) << "round " << round << " x " << x << " y " << y;
    }
    // A target that cannot be set up draws nothing.
    unsigned char buffer[64] = {};
    const unsigned char ink[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const sorvane_cell full{ink, 8, 8, 8};
    sorvane_target target;
    for (const auto& [at, width, height, layout] :
         {std::tuple{buffer, 0, 8, 0}, {buffer, 8, 0, 2}, {buffer, 8, 8, 5}, {buffer, 8, 8, -1}, {nullptr, 8, 8, 2}}) {
        EXPECT_EQ(sorvane_target_buffer(&target, at, width, height, layout), SORVANE_ERR_INVAL);
        sorvane_put_cell(&target, 0, 0, &full);
    }
    EXPECT_TRUE(std::all_of(std::begin(buffer), std::end(buffer), [](unsigned char b) { return b == 0; }));
}

}  // namespace
