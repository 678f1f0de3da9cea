#include "core/kanji_grid.h"

#include <gtest/gtest.h>

#include <set>

namespace sorvane {
namespace {

struct WorkedPair {
    int cell;
    int lead;
    int trail;
};

constexpr WorkedPair worked_pairs[] = {
    {0, 0x81, 0x40},    {62, 0x81, 0x7E},   {63, 0x81, 0x80},   {93, 0x81, 0x9E},
    {94, 0x81, 0x9F},   {187, 0x81, 0xFC},  {188, 0x82, 0x40},  {1410, 0x88, 0x9F},
    {5827, 0x9F, 0xFC}, {5828, 0xE0, 0x40}, {8742, 0xEF, 0x9F}, {8835, 0xEF, 0xFC},
};

TEST(KanjiGrid, WorkedPairsMapBothWays) {
    for (const WorkedPair& w : worked_pairs) {
        SCOPED_TRACE(w.cell);
        const SjisBytes b = bytes_of(w.cell);
        EXPECT_EQ(b.lead, w.lead);
        EXPECT_EQ(b.trail, w.trail);
        EXPECT_EQ(code_of(w.cell), w.lead * 256 + w.trail);
        EXPECT_EQ(cell_of(static_cast<unsigned>(w.lead), static_cast<unsigned>(w.trail)), w.cell);
    }
}

TEST(KanjiGrid, EveryCellRoundTripsThroughValidBytes) {
    int previous_code = 0;
    for (int cell = 0; cell < grid_cells; ++cell) {
        const SjisBytes b = bytes_of(cell);
        ASSERT_TRUE(is_lead_byte(b.lead)) << cell;
        ASSERT_TRUE(is_trail_byte(b.trail)) << cell;
        ASSERT_EQ(cell_of(b.lead, b.trail), cell);
        ASSERT_GT(code_of(cell), previous_code) << "codes ascend with the cell index";
        previous_code = code_of(cell);
    }
}

TEST(KanjiGrid, EveryBytePairNamesItsOwnCell) {
    std::set<int> cells;
    for (unsigned lead = 0; lead < 256; ++lead) {
        if (!is_lead_byte(lead)) continue;
        for (unsigned trail = 0; trail < 256; ++trail) {
            if (!is_trail_byte(trail)) continue;
            const int cell = cell_of(lead, trail);
            ASSERT_GE(cell, 0);
            ASSERT_LT(cell, grid_cells);
            const SjisBytes b = bytes_of(cell);
            ASSERT_EQ(b.lead, lead);
            ASSERT_EQ(b.trail, trail);
            cells.insert(cell);
        }
    }
    EXPECT_EQ(cells.size(), 47u * 188u);
    EXPECT_EQ(cells.size(), static_cast<std::size_t>(grid_cells));
}

TEST(KanjiGrid, ByteClasses) {
    int leads = 0;
    int trails = 0;
    for (unsigned b = 0; b < 256; ++b) {
        leads += is_lead_byte(b);
        trails += is_trail_byte(b);
        if (is_lead_byte(b)) {
            EXPECT_TRUE(is_trail_byte(b)) << "every lead byte is also a trail byte: " << b;
        }
    }
    EXPECT_EQ(leads, 47);
    EXPECT_EQ(trails, 188);
    for (unsigned b : {0x7Fu, 0xFDu, 0xFEu, 0xFFu, 0x3Fu}) EXPECT_FALSE(is_trail_byte(b)) << b;
    for (unsigned b : {0x80u, 0xA0u, 0xA1u, 0xDFu, 0xF0u, 0xFCu, 0xFFu}) EXPECT_FALSE(is_lead_byte(b)) << b;
}

TEST(KanjiGrid, RowsRunOnFromLead9FToE0) {
    EXPECT_EQ(cell_of(0x9F, 0xFC), 5827);
    EXPECT_EQ(cell_of(0xE0, 0x40), 5828);
    EXPECT_LT(code_of(5827), code_of(5828));
}

TEST(KanjiGrid, CountAndClear) {
    KanjiGrid set{};
    EXPECT_EQ(count(set), 0);
    set.fill(1);
    EXPECT_EQ(count(set), grid_cells);
    set[0] = 0;
    set[8835] = 7;  // any non-zero flag counts
    EXPECT_EQ(count(set), grid_cells - 1);
    clear(set);
    EXPECT_EQ(count(set), 0);
}

}  // namespace
}  // namespace sorvane
