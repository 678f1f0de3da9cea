// The program's state: everything that outlives one command, in one instance for the whole
// run. Twenty numbers and ten texts are saved in the settings file; the two character sets
// and the glyph store are rebuilt from them whenever a command needs them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/kanji_grid.h"
#include "fontgen/font_source.h"

namespace sorvane {

// The numbered settings; every one of them is saved and loaded.
enum Setting : int {
    language = 0,  // 0 Japanese, 1 English
    window_left = 1,
    window_top = 2,
    window_right = 3,
    window_bottom = 4,
    output_sequence = 8,  // radio group "Output sequence", 0 only
    compiler = 9,         // radio group "Compiler": a place in the compiler table
    kanji_index_mode = 10,
    kanji_num = 11,
    kanji_min = 12,
    kanji_max = 13,
    glyph_table_count = 14,
    kanji_size = 15,
    glyph_table_capacity = 16,
    detected_num = 17,
    font_kind = 18,  // radio group "Font": a place in the font table
    ini_path_length = 19,
};

// The numbered texts; each is a NUL-terminated Shift_JIS string of at most 31999 bytes.
enum TextSlotId : int {
    input_path = 1,
    output_path = 2,
    detected_text = 3,
    registered_text = 4,
    font_path = 5,
};

inline constexpr int setting_count = 20;
inline constexpr int text_slot_count = 10;
inline constexpr std::size_t text_slot_size = 32000;
inline constexpr std::size_t ini_path_capacity = 1000;

using TextSlot = std::array<char, text_slot_size>;

struct AppState {
    std::array<std::int32_t, setting_count> settings{};
    std::array<TextSlot, text_slot_count> text_slots{};
    KanjiGrid registered_set{};  // the characters chosen for the font
    KanjiGrid detected_set{};    // the characters found by the last scan
    GlyphTable glyph_store{};    // the font of the last generation; never saved
    // The full path of Sorvane.ini, formed at the load; empty when none could be formed, and
    // then nothing is loaded or saved.
    std::array<char, ini_path_capacity> ini_path{};

    // The text of a slot, up to its NUL.
    std::string_view text(int slot) const;

    // Copies at most 31999 bytes of text into a slot and ends it with a NUL; the text may be
    // a view of that very slot.
    void store_text(int slot, std::string_view text);

    // Zeroes every setting and empties every text.
    void clear();

    // The language that picks a label or message: 1 only for English, 0 for anything else,
    // so a stored value out of range can never index past a pair.
    int language() const { return settings[Setting::language] == 1 ? 1 : 0; }
};

}  // namespace sorvane
