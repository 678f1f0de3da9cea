// The 94 x 94 square of JIS X 0208 positions and its two-way mapping to Shift_JIS.
#pragma once

#include <array>
#include <cstdint>

namespace sorvane {

inline constexpr int grid_side = 94;
inline constexpr int grid_cells = grid_side * grid_side;  // 8836

// One flag per position, indexed by cell index = row * 94 + column; 0 means not in the set.
using KanjiGrid = std::array<std::uint8_t, grid_cells>;

struct SjisBytes {
    std::uint8_t lead;
    std::uint8_t trail;
};

// True for 0x81..0x9F and 0xE0..0xEF.
constexpr bool is_lead_byte(unsigned b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF);
}

// True for 0x40..0x7E and 0x80..0xFC; 0x7F never is.
constexpr bool is_trail_byte(unsigned b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// Cell index of a lead byte and a trail byte; both must pass the tests above.
// Each lead byte covers two rows: trail bytes 0x40..0x9E the even one, 0x9F..0xFC the odd
// one after it. Counting the 188 trail bytes of a lead byte as t = 0..187 gives
// row * 94 + column = lead_pair * 188 + t without a branch for the row.
constexpr int cell_of(unsigned lead, unsigned trail) {
    const unsigned lead_pair = (lead >= 0xE0 ? lead - 0x40 : lead) - 0x81;
    const unsigned t = trail - 0x40 - (trail >= 0x80 ? 1 : 0);
    return static_cast<int>(lead_pair * 188 + t);
}

// The two Shift_JIS bytes of a cell index 0..8835.
constexpr SjisBytes bytes_of(int cell) {
    const int row = cell / grid_side;
    const int column = cell % grid_side;
    const int lead = row <= 61 ? 0x81 + row / 2 : 0xC1 + row / 2;
    int t = (row % 2 == 0 ? 0x40 : 0x9E) + column;
    if (t >= 0x7F) ++t;
    return {static_cast<std::uint8_t>(lead), static_cast<std::uint8_t>(t)};
}

// The 16-bit code lead * 256 + trail of a cell index.
constexpr std::uint16_t code_of(int cell) {
    const SjisBytes b = bytes_of(cell);
    return static_cast<std::uint16_t>(b.lead << 8 | b.trail);
}

void clear(KanjiGrid& set);

// The number of non-zero flags, 0..8836.
int count(const KanjiGrid& set);

}  // namespace sorvane
