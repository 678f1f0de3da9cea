// What the list buttons do to the character sets: union, difference, and the characters of a
// scan that are not yet registered.
#pragma once

#include "core/kanji_grid.h"

namespace sorvane {

// "Add the above": every detected character joins the registered ones.
void add_characters(KanjiGrid& registered, const KanjiGrid& detected);

// "Remove the above": the detected characters leave the registered ones.
void remove_characters(KanjiGrid& registered, const KanjiGrid& detected);

// The characters found by a scan that are not registered; a registered one is never detected.
void new_characters(const KanjiGrid& found, const KanjiGrid& registered, KanjiGrid& detected);

}  // namespace sorvane
