// The program's state: everything that outlives one command, in one instance for the whole
// run, as named fields of named types. The settings file (state/settings_file.cpp) is a view
// of it, and the one place that knows which line holds which field; the two character sets
// and the glyph store are rebuilt from the lists whenever a command needs them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/kanji_grid.h"
#include "fontgen/font_source.h"
#include "fontgen/font_table.h"
#include "fontgen/include_writer.h"

namespace sorvane {

inline constexpr std::size_t text_slot_size = 32000;
inline constexpr std::size_t ini_path_capacity = 1000;

using TextSlot = std::array<char, text_slot_size>;

// A text kept in the settings file: a NUL-terminated Shift_JIS string of at most 31999 bytes.
struct StoredText {
    TextSlot bytes{};

    // The text, up to its NUL.
    std::string_view view() const;
    const char* c_str() const { return bytes.data(); }
    bool empty() const { return bytes[0] == '\0'; }

    // Copies at most 31999 bytes of text and ends it with a NUL; the text may be a view of
    // this very one.
    void store(std::string_view text);
};

// A choice among the rows of a table, kept as it was stored: a value that names no row is
// carried through as it is and stands for the row the program uses in its place.
struct FontChoice {
    std::int32_t stored = 0;
    const FontKind& kind() const { return font_of(stored); }
    bool named() const { return is_font_value(stored); }
};

struct CompilerChoice {
    std::int32_t stored = 0;
    const CompilerKind& kind() const { return compiler_of(stored); }
    bool named() const { return is_compiler_value(stored); }
};

// The key of the include file: none writes no key table and no FONT_KEY, as a plain
// generation always did; sjis and unicode write them.
enum class KeyChoice : std::int32_t { none = 0, sjis = 1, unicode = 2 };

// How a generation writes its files besides the path of the include file; a later plain
// generate and the window's button repeat them. The stored numbers are kept as read: one
// that names no choice stands for none.
struct GenerationChoices {
    std::int32_t half_width = 0;  // 0 none, else 1 + a HalfWidth from ascii on
    std::int32_t key = 0;         // a KeyChoice
    StoredText image;             // the image's path; empty for no image
    StoredText name;              // the font's C identifier (generate --name); empty for none
    std::int32_t compress = 0;    // 1: the glyphs compressed where it pays (--compress); else raw

    // The layout of the include file the choices ask for.
    IncludeLayout layout() const;
};

// The main window's outer rectangle, in screen pixels.
struct WindowPlace {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// What the last commands counted, and the tables of the last include file.
struct Counters {
    std::int32_t registered = 0;        // characters of the registered list
    std::int32_t detected = 0;          // characters of the detected list
    std::int32_t glyph_bytes = 0;       // bytes of a glyph of the chosen font
    std::int32_t first_code = 0;        // the code range of the last include file, which an
    std::int32_t last_code = 0;         // empty list writes again
    std::int32_t index_mode = 0;        // 0: one table of the whole grid, always searched
    std::int32_t table_count = 0;
    std::int32_t table_capacity = 0;
};

struct Paths {
    StoredText input;   // the last text scanned
    StoredText output;  // the include file; empty for Font.inc
    StoredText font;    // the font source file, formed from the settings file's path
    std::int32_t ini_length = 0;  // the length of the settings file's path, formed at the load
};

// The two lists as the window shows them: Shift_JIS text, the detected characters and the
// registered ones.
struct ListTexts {
    StoredText detected;
    StoredText registered;
};

// The places of the settings file that no field uses, carried through as they were read.
struct UnusedSlots {
    std::int32_t number = 0;
    std::array<StoredText, 3> texts{};
};

struct AppState {
    std::int32_t language_value = 0;  // 0 Japanese, 1 English, as stored
    FontChoice font;
    CompilerChoice compiler;
    std::int32_t output_sequence = 0;  // the radio group "Output sequence": 0 only
    GenerationChoices generation;
    WindowPlace window;
    Counters counters;
    Paths paths;
    ListTexts lists;
    UnusedSlots unused;

    KanjiGrid registered_set{};  // the characters chosen for the font
    KanjiGrid detected_set{};    // the characters found by the last scan
    GlyphTable glyph_store{};    // the font of the last generation; never saved
    // The full path of Sorvane.ini, formed at the load; empty when none could be formed, and
    // then nothing is loaded or saved.
    std::array<char, ini_path_capacity> ini_path{};

    // Zeroes every number and empties every text that the settings file keeps.
    void clear();

    // The language that picks a label or message: 1 only for English, 0 for anything else,
    // so a stored value out of range can never index past a pair.
    int language() const { return language_value == 1 ? 1 : 0; }
};

}  // namespace sorvane
