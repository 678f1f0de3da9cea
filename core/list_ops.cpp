#include "core/list_ops.h"

#include "core/list_text.h"
#include "state/app_state.h"

namespace sorvane {
namespace {

void merge_detected(std::uint8_t registered_flag) {
    parse_registered_list();
    parse_detected_list();
    for (std::size_t cell = 0; cell < detected_set.size(); ++cell) {
        if (detected_set[cell] != 0) registered_set[cell] = registered_flag;
    }
    render_registered_list();
}

}  // namespace

void add_detected_to_registered() { merge_detected(1); }

void remove_detected_from_registered() { merge_detected(0); }

void sort_registered_list() {
    parse_registered_list();
    render_registered_list();
}

void clear_registered_list() {
    store_text(registered_text, "");
    if (list_boxes.set_registered_box) list_boxes.set_registered_box("");
    settings[kanji_num] = 0;
}

void clear_detected_list() {
    store_text(detected_text, "");
    if (list_boxes.set_detected_box) list_boxes.set_detected_box("");
}

}  // namespace sorvane
