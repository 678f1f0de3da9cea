// The byte shuffles that pack the chosen 16-bit lanes of a group of eight to its front,
// one for each of the 256 masks of a group: the compress of processors without AVX-512.
// The swapped ones also swap the two bytes of each lane.
#pragma once

#include <array>
#include <cstdint>

namespace sorvane {

using PackTable = std::array<std::array<std::uint8_t, 16>, 256>;

constexpr PackTable make_pack_table(bool swapped) {
    PackTable t{};
    for (unsigned mask = 0; mask < 256; ++mask) {
        unsigned k = 0;
        for (unsigned lane = 0; lane < 8; ++lane) {
            if ((mask >> lane & 1) == 0) continue;
            t[mask][2 * k] = static_cast<std::uint8_t>(2 * lane + (swapped ? 1 : 0));
            t[mask][2 * k + 1] = static_cast<std::uint8_t>(2 * lane + (swapped ? 0 : 1));
            ++k;
        }
        for (unsigned b = 2 * k; b < 16; ++b) t[mask][b] = 0x80;
    }
    return t;
}

inline constexpr PackTable pack_table = make_pack_table(false);
inline constexpr PackTable pack_swapped_table = make_pack_table(true);

}  // namespace sorvane
