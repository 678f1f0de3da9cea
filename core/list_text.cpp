#include "core/list_text.h"

namespace sorvane {

void parse_list(std::string_view text, KanjiGrid& set) {
    clear(set);
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const auto a = static_cast<unsigned char>(text[i++]);
        if (!is_lead_byte(a)) continue;
        if (i == n) break;  // a lead byte at the very end is ignored
        const auto b = static_cast<unsigned char>(text[i++]);
        if (is_trail_byte(b)) set[static_cast<std::size_t>(cell_of(a, b))] = 1;
    }
}

std::size_t render_list(const KanjiGrid& set, char* out) {
    char* p = out;
    int on_line = 0;
    for (int cell = 0; cell < grid_cells; ++cell) {
        if (set[static_cast<std::size_t>(cell)] == 0) continue;
        const SjisBytes b = bytes_of(cell);
        *p++ = static_cast<char>(b.lead);
        *p++ = static_cast<char>(b.trail);
        if (++on_line == 30) {
            *p++ = '\r';
            *p++ = '\n';
            on_line = 0;
        }
    }
    *p = '\0';
    return static_cast<std::size_t>(p - out);
}

}  // namespace sorvane
