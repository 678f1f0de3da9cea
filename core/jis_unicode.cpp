#include "core/jis_unicode.h"

#include <algorithm>
#include <vector>

namespace sorvane {

std::span<const UnicodeCell> unicode_cells() {
    static const std::vector<UnicodeCell> pairs = [] {
        std::vector<UnicodeCell> made;
        for (int cell = 0; cell < grid_cells; ++cell) {
            const CellCharacters c = characters_of_cell(cell);
            if (c.first != 0) made.push_back({c.first, static_cast<std::int16_t>(cell), false});
            if (c.second != 0) made.push_back({c.second, static_cast<std::int16_t>(cell), true});
        }
        std::sort(made.begin(), made.end());
        return made;
    }();
    return pairs;
}

std::span<const UnicodeCell> cells_of_unicode(char32_t code) {
    const std::span<const UnicodeCell> all = unicode_cells();
    if (code > 0xFFFF) return {};
    const auto c = static_cast<char16_t>(code);
    const auto low = std::lower_bound(all.begin(), all.end(), c, [](const UnicodeCell& p, char16_t v) { return p.code < v; });
    const auto high = std::upper_bound(low, all.end(), c, [](char16_t v, const UnicodeCell& p) { return v < p.code; });
    return {low, high};
}

}  // namespace sorvane
