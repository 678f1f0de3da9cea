// The five list buttons. Each expects the box texts to have just been pulled into their slots.
#pragma once

namespace sorvane {

// "Add the above": the registered list becomes the union of both, in normal form.
void add_detected_to_registered();

// "Remove the above": the detected characters leave the registered list.
void remove_detected_from_registered();

// "Sort characters": the registered list in normal form.
void sort_registered_list();

// "Clear all": empties the registered list and sets kanji_num to 0.
void clear_registered_list();

// "Clear": empties the detected list; detected_num keeps the count of the last scan.
void clear_detected_list();

}  // namespace sorvane
