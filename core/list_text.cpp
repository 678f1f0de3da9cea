#include "core/list_text.h"

#include "state/app_state.h"

namespace sorvane {

ListBoxes list_boxes{};

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

void parse_detected_list() { parse_list(text_of(detected_text), detected_set); }

void parse_registered_list() { parse_list(text_of(registered_text), registered_set); }

void render_detected_list() {
    char* text = text_slots[detected_text].data();
    render_list(detected_set, text);
    if (list_boxes.set_detected_box) list_boxes.set_detected_box(text);
}

void render_registered_list() {
    char* text = text_slots[registered_text].data();
    render_list(registered_set, text);
    settings[kanji_num] = count(registered_set);
    if (list_boxes.set_registered_box) list_boxes.set_registered_box(text);
}

}  // namespace sorvane
