// Finds the two-byte characters of a Shift_JIS text that are not yet registered.
#pragma once

#include "core/kanji_grid.h"
#include "core/text_stream.h"

namespace sorvane {

// Sets the flag of every valid two-byte character in the input; never clears one. Bytes
// outside a valid pair are skipped one at a time, and a lead byte as the last byte of the
// input is ignored.
void mark_characters(TextReader& in, KanjiGrid& found);

// Brings the registered list into normal form, then fills the detected list with the
// characters of the input that are not registered, and sets detected_num. Always 0.
int scan(TextReader& in);

}  // namespace sorvane
