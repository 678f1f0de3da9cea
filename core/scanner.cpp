#include "core/scanner.h"

#include "core/list_text.h"
#include "state/app_state.h"

namespace sorvane {

void mark_characters(TextReader& in, KanjiGrid& found) {
    unsigned pending_lead = 0;  // a lead byte whose partner starts the next block
    for (auto block = in.next_block(); !block.empty(); block = in.next_block()) {
        const std::uint8_t* p = block.data();
        const std::uint8_t* const end = p + block.size();
        if (pending_lead != 0) {
            const unsigned b = *p++;
            if (is_trail_byte(b)) found[static_cast<std::size_t>(cell_of(pending_lead, b))] = 1;
            pending_lead = 0;
        }
        while (p < end) {
            const unsigned a = *p++;
            if (!is_lead_byte(a)) continue;
            if (p == end) {
                pending_lead = a;
                break;
            }
            const unsigned b = *p++;
            if (is_trail_byte(b)) found[static_cast<std::size_t>(cell_of(a, b))] = 1;
        }
    }
}

int scan(TextReader& in) {
    parse_registered_list();
    render_registered_list();
    clear(detected_set);
    mark_characters(in, detected_set);
    // A character already registered is never detected.
    for (std::size_t cell = 0; cell < detected_set.size(); ++cell) {
        if (registered_set[cell] != 0) detected_set[cell] = 0;
    }
    settings[detected_num] = count(detected_set);
    render_detected_list();
    return 0;
}

}  // namespace sorvane
