// The two lists of the state between their texts and their sets.
#pragma once

#include "state/app_state.h"

namespace sorvane {

// Rebuilds a set from its list text.
void parse_registered(AppState& state);
void parse_detected(AppState& state);

// Writes a set back as its list text in normal form; the registered one sets kanji_num.
void render_registered(AppState& state);
void render_detected(AppState& state);

}  // namespace sorvane
