// The include file: the registered characters' Shift_JIS codes and glyph bitmaps as C tables,
// for the XC32 or the CC-RH compiler, or in plain C99 for every other one.
#pragma once

#include <array>
#include <cstdint>

#include "core/kanji_grid.h"
#include "core/text_stream.h"
#include "fontgen/font_source.h"
#include "fontgen/font_table.h"

namespace sorvane {

// The variants of the include file: one row per compiler holds every way in which its
// variant differs, so that the writer has no branch on the compiler.
struct CompilerKind {
    const char* name;          // as the window and the reports show it
    const char* word;          // on the command line
    const char* glyph_type;    // the element type of font_kanji
    const char* opening;       // after the defines: a guard and declarations, or nothing
    const char* section_open;  // before the tables: a pragma that places them, or nothing
    const char* section_close;
    const char* closing;       // the file's last line, or nothing
    // For no character: an entry of each table that no code names (ISO C has no empty
    // initializer), or nothing.
    const char* empty_index;
    const char* empty_glyphs;
};

// The C99 file declares its tables before it defines them, with external linkage in C and
// in C++ alike, and keeps them from being defined twice in one translation unit (its
// defines may come twice: the same definition again is no error).
inline constexpr char c99_opening[] =
    "#ifndef SORVANE_FONT_INC\n#define SORVANE_FONT_INC\n\n#ifdef __cplusplus\nextern \"C\" {\n#endif\n"
    "extern const unsigned short\tfont_kanji_index[];\n"
    "extern const unsigned char\tfont_kanji[][FONT_KANJI_SIZE];\n#ifdef __cplusplus\n}\n#endif\n\n";

// The compilers; the stored compiler value is a compiler's place in the table. The window
// has a radio button for each of the first two.
inline constexpr std::array<CompilerKind, 3> compiler_table{{
    // name, word, glyph type, opening, section open and close, closing, empty index and glyphs
    {"XC32", "xc32", "const char", "", "", "", "", "", ""},
    {"CC-RH", "cc-rh", "const unsigned char", "", "#pragma section const\n", "#pragma section default\n\n", "", "", ""},
    {"C99", "c99", "const unsigned char", c99_opening, "", "", "#endif\n",
     "\t0\t/* no character: FONT_KANJI_NUM is 0 */\n", "\t{0}\t/* no character: FONT_KANJI_NUM is 0 */\n"},
}};

// Whether a stored value names a compiler of the table.
constexpr bool is_compiler_value(std::int32_t value) {
    return value >= 0 && value < static_cast<std::int32_t>(compiler_table.size());
}

// The compiler of a stored value; any value that names none is XC32.
constexpr const CompilerKind& compiler_of(std::int32_t value) {
    return is_compiler_value(value) ? compiler_table[static_cast<std::size_t>(value)] : compiler_table[0];
}

struct BannerTime {
    int year, month, day, hour, minute, second;
};

// The local date and time.
BannerTime local_time_now();

// FONT_KANJI_MIN and FONT_KANJI_MAX as 32-bit values.
struct CodeRange {
    std::uint32_t first = 0;
    std::uint32_t last = 0;
};

// What one include file holds.
struct IncludeSummary {
    int count = 0;      // FONT_KANJI_NUM: the registered characters
    CodeRange codes;    // their first and last code; for no character, the range handed in
    int glyph_bytes = 0;       // FONT_KANJI_SIZE
    int index_table_bytes = 0;  // the flash the two tables take
    int glyph_table_bytes = 0;
    bool written = false;  // every byte was handed to the file and flushed
};

// What the include file of the registered characters will hold, before it is written.
IncludeSummary summarize_include_file(const KanjiGrid& registered, const FontKind& font, CodeRange range_if_empty);

// Writes the complete include file of the registered characters with their glyphs in the
// layout of font, for compiler, with time in the banner. An empty set writes range_if_empty
// as its first and last code: the range of the last file that had characters.
IncludeSummary write_include_file(TextWriter& out, const KanjiGrid& registered, const GlyphTable& glyphs,
                                  const FontKind& font, const CompilerKind& compiler, const BannerTime& time,
                                  CodeRange range_if_empty);

}  // namespace sorvane
