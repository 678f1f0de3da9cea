// Finds the two-byte characters of a Shift_JIS text that are not yet registered.
#pragma once

#include <span>

#include "core/kanji_grid.h"
#include "core/text_stream.h"

namespace sorvane {

// Sets the flag of every valid two-byte character in the input; never clears one. Bytes
// outside a valid pair are skipped one at a time, and a lead byte as the last byte of the
// input is ignored.
void mark_characters(TextReader& in, KanjiGrid& found);

// The same for a Shift_JIS text handed in piece by piece, as one text: pending_lead carries
// a lead byte that ended the piece before (0 at the start; one left at the very end is
// ignored). The 0x1A rule is the supplier's.
void mark_text(std::span<const std::uint8_t> piece, unsigned& pending_lead, KanjiGrid& found);

// The ways of marking: the portable one, and the wide one for processors with AVX-512. The
// fastest this processor offers is taken unless one is chosen; the results are the same.
enum class ScanPath { portable, wide };
bool scan_path_available(ScanPath path);
void use_scan_path(ScanPath path);  // the portable one where the other is not available

// Brings the registered list into normal form, then makes the detected list the characters
// of found that are not registered, and sets detected_num.
void detect_characters(const KanjiGrid& found);

// The "text file" scan of one stream: its characters not yet registered become the detected
// list. Always 0.
int scan(TextReader& in);

}  // namespace sorvane
