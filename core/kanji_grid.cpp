#include "core/kanji_grid.h"

#include <algorithm>

namespace sorvane {

void clear(KanjiGrid& set) { set.fill(0); }

int count(const KanjiGrid& set) {
    return static_cast<int>(std::count_if(set.begin(), set.end(), [](std::uint8_t f) { return f != 0; }));
}

}  // namespace sorvane
