// Font source files: one line of comma-separated row values for each of the 8836 grid
// positions, read in full into the glyph store at every generation.
#pragma once

#include <array>
#include <cstdint>

#include "core/kanji_grid.h"
#include "core/text_stream.h"

namespace sorvane {

inline constexpr int glyph_rows_max = 32;

// Row values of one glyph; a font of N dot rows fills values 0 to N-1, one dot row each.
using GlyphRecord = std::array<std::int32_t, glyph_rows_max>;

// One record per cell index; zero at start, never saved, filled by every read.
extern std::array<GlyphRecord, grid_cells> glyph_store;

struct FontKind {
    const char* name;    // "K14", "jiskan16", "jiskan24"
    const char* suffix;  // of the font source file: "K14", "J16", "J24"
    int rows;            // row values per line
    int glyph_bytes;     // kanji_size
    int row_bytes;       // bytes the include file takes from each row value
};

// The font of a font_kind value; anything but 1 and 2 is K14.
const FontKind& font_kind_of(std::int32_t font_kind);

// Parses one line of a font source file into the first `rows` row values of a record, as
// strtol reads numbers with base 0, clamped to the 32-bit range. Later row values keep theirs.
void parse_font_line(const char* line, int rows, GlyphRecord& record);

// Reads up to 8836 lines into the glyph store, line k into record k-1. Records past the end
// of a short file get zeros in their first `rows` values. Returns the number of lines read.
int read_font_source(TextReader& in, int rows);

struct FontSourceLoad {
    bool opened = false;
    int lines = 0;  // lines read, 8836 for a complete file
};

// Names the font source file of font_kind in font_path (the settings file's path with the
// suffix in place of "ini"), sets kanji_size and reads the file into the glyph store. When
// the file cannot be opened, calls open_error and leaves the glyph store as it was.
FontSourceLoad load_font_source(void (*open_error)());

}  // namespace sorvane
