// The include file: the registered characters' Shift_JIS codes and glyph bitmaps as C tables,
// for the XC32 or the CC-RH compiler, or in plain C99 for every other one.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/kanji_grid.h"
#include "core/text_stream.h"
#include "fontgen/font_source.h"
#include "fontgen/font_table.h"
#include "fontgen/glyph_coder.h"

namespace sorvane {

// The variants of the include file: one row per compiler holds every way in which its
// variant differs, so that the writer has no branch on the compiler.
struct CompilerKind {
    const char* name;          // as the window and the reports show it
    const char* word;          // on the command line
    const char* glyph_type;    // the element type of font_kanji and the half-width tables
    const char* opening;       // after the defines: a guard and declarations, or nothing
    // The declaration of the full-width glyphs, raw or compressed (after opening), or nothing.
    const char* declares_kanji;
    const char* declares_packed_kanji;
    const char* section_open;  // before the tables: a pragma that places them, or nothing
    const char* section_close;
    const char* closing;       // the file's last line, or nothing
    // For no character: an entry of each table that no code names (ISO C has no empty
    // initializer), or nothing.
    const char* empty_index;
    const char* empty_glyphs;
    // Before each table and its declaration: a hook that may place it in flash, or nothing.
    const char* placement;
    // The declarations of the tables a file with a key or half-width glyphs adds, before
    // closing_declarations (placed just before the closing of opening), or nothing.
    const char* declares_alt;
    const char* declares_ascii;
    const char* declares_kana;
    const char* declares_packed_half;  // the compressed half-width glyphs in place of the two
    const char* closing_declarations;
    bool utf8_comments;  // the comments' characters in UTF-8, as every compiler reads them; else Shift_JIS
};

// The C99 file declares its tables before it defines them, with external linkage in C and
// in C++ alike, and keeps them from being defined twice in one translation unit (its
// defines may come twice: the same definition again is no error). SORVANE_FONT_FLASH places
// the tables: a firmware may define it (PROGMEM, __flash) to keep them out of RAM.
inline constexpr char c99_opening[] =
    "#ifndef SORVANE_FONT_INC\n#define SORVANE_FONT_INC\n\n"
    "#ifndef SORVANE_FONT_FLASH\n#define SORVANE_FONT_FLASH\n#endif\n\n"
    "#ifdef __cplusplus\nextern \"C\" {\n#endif\n"
    "extern SORVANE_FONT_FLASH const unsigned short\tfont_kanji_index[];\n";
inline constexpr char c99_declares_kanji[] = "extern SORVANE_FONT_FLASH const unsigned char\tfont_kanji[][FONT_KANJI_SIZE];\n";
inline constexpr char c99_declares_packed_kanji[] =
    "extern SORVANE_FONT_FLASH const unsigned char\tfont_kanji_model[];\n"
    "extern SORVANE_FONT_FLASH const unsigned char\tfont_kanji_starts[];\n"
    "extern SORVANE_FONT_FLASH const unsigned char\tfont_kanji_packed[];\n";
inline constexpr char c99_declares_packed_half[] =
    "extern SORVANE_FONT_FLASH const unsigned char\tfont_half_model[];\n"
    "extern SORVANE_FONT_FLASH const unsigned char\tfont_half_starts[];\n"
    "extern SORVANE_FONT_FLASH const unsigned char\tfont_half_packed[];\n";
inline constexpr char c99_closing_declarations[] = "#ifdef __cplusplus\n}\n#endif\n\n";

// The compilers; the stored compiler value is a compiler's place in the table. The window
// has a radio button for each of the first two.
inline constexpr std::array<CompilerKind, 3> compiler_table{{
    // name, word, glyph type, opening, the glyphs' declarations, section open and close, closing,
    // empty index and glyphs, ...
    {"XC32", "xc32", "const char", "", "", "", "", "", "", "", "", "", "", "", "", "", "", false},
    {"CC-RH", "cc-rh", "const unsigned char", "", "", "", "#pragma section const\n", "#pragma section default\n\n", "",
     "", "", "", "", "", "", "", "", false},
    {"C99", "c99", "const unsigned char", c99_opening, c99_declares_kanji, c99_declares_packed_kanji, "", "", "#endif\n",
     "\t0\t/* no character: FONT_KANJI_NUM is 0 */\n", "\t{0}\t/* no character: FONT_KANJI_NUM is 0 */\n",
     "SORVANE_FONT_FLASH ", "extern SORVANE_FONT_FLASH const unsigned short\tfont_kanji_alt[];\n",
     "extern SORVANE_FONT_FLASH const unsigned char\tfont_half_ascii[95][FONT_HALF_SIZE];\n",
     "extern SORVANE_FONT_FLASH const unsigned char\tfont_half_kana[63][FONT_HALF_SIZE];\n", c99_declares_packed_half,
     c99_closing_declarations, true},
}};

// Which single-byte characters get half-width glyphs: none, printable ASCII (0x20 to 0x7E),
// the half-width katakana (0xA1 to 0xDF), or both.
enum class HalfWidth { none, ascii, kana, all };
inline constexpr std::array<const char*, 3> half_width_words{"ascii", "kana", "all"};  // from HalfWidth::ascii on

// What font_kanji_index holds: Shift_JIS codes or Unicode code points.
enum class CodeKey { sjis, unicode };
inline constexpr std::array<const char*, 2> key_words{"sjis", "unicode"};

// What an include file holds besides the two tables of every file. A file made with a key
// or half-width glyphs asked for says its key (FONT_KEY) and carries font_kanji_alt, each
// character's code in the other key, so that firmware may look a character up either way.
// A file with a name is a translation unit of its own: it includes sorvane_font.h, writes
// its geometry, keeps its tables to itself and defines the font `const sorvane_font NAME`.
struct IncludeLayout {
    HalfWidth half = HalfWidth::none;
    CodeKey key = CodeKey::sjis;
    bool says_key = false;  // FONT_KEY and font_kanji_alt are written
    std::string_view name{};  // the font's C identifier; empty for a file without one
    bool compress = false;    // each set of glyphs compressed where it pays (generate --compress)

    constexpr bool ascii() const { return half == HalfWidth::ascii || half == HalfWidth::all; }
    constexpr bool kana() const { return half == HalfWidth::kana || half == HalfWidth::all; }
};

// The half-width codes of a layout, each with its place in its table.
inline constexpr int ascii_first = 0x20, ascii_count = 95, kana_first = 0xA1, kana_count = 63;

// What a font's name may be: a C identifier of at most 63 characters, that is no keyword of
// C or C++ and no name the include file or the reader uses itself.
inline constexpr std::size_t font_name_max = 63;
enum class NameFault { none, not_identifier, reserved };
NameFault font_name_fault(std::string_view name);

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
    int index_table_bytes = 0;  // the flash the tables take: the index,
    int glyph_table_bytes = 0;  // the glyphs,
    int alt_table_bytes = 0;    // the other key,
    int half_table_bytes = 0;   // and the half-width glyphs
    int half_glyphs = 0;        // half-width glyphs written
    // With --compress, a set compressed: its glyph table (glyph_table_bytes, half_table_bytes)
    // holds the packed glyphs, and its model and starts take these bytes besides.
    bool compressed = false, half_compressed = false;
    int model_table_bytes = 0, starts_table_bytes = 0;
    int half_model_bytes = 0, half_starts_bytes = 0;
    int without_unicode = 0;    // registered characters left out of a Unicode key: no code point,
    int same_unicode = 0;       // or one an earlier character of the list has
    bool written = false;  // every byte was handed to the file and flushed

    constexpr long long total_bytes() const {
        return static_cast<long long>(index_table_bytes) + glyph_table_bytes + alt_table_bytes + half_table_bytes +
               model_table_bytes + starts_table_bytes + half_model_bytes + half_starts_bytes;
    }
};

// One character of a font: its code in the font's key, its code in the other key (0 for
// none), and its cell.
struct FontEntry {
    std::uint16_t key;
    std::uint16_t alt;
    int cell;
};

// The characters of a font in the order of their key. A Unicode key leaves out a character
// without a code point, and one whose code point an earlier character has (code page 932
// keeps a few characters twice): the key names one glyph. The summary counts them.
std::vector<FontEntry> font_entries(const KanjiGrid& registered, CodeKey key, IncludeSummary& summary);

// The numbers of one glyph in the layout of its font, glyph_bytes() of them.
std::array<std::uint32_t, 3 * glyph_rows_max> glyph_numbers(const GlyphRecord& record, const FontKind& font);

// The bytes of one half-width glyph: its rows from the top, each in as many bytes as its
// width needs, the low byte (dots 0 to 7) first; half_glyph_bytes() of them.
std::array<std::uint8_t, 2 * glyph_rows_max> half_glyph_numbers(const GlyphRecord& record, const FontKind& font);

// The most bits of a model's context: an include file's (the model in flash) and an image's
// (the model in the firmware's RAM: 2 + 2^10 bytes).
inline constexpr int include_model_bits = 12;
inline constexpr int image_model_bits = 10;

// The sets of glyphs of a layout with --compress, each compressed only where its model,
// starts and packed glyphs take fewer bytes than its raw table (none without --compress):
// the full-width glyphs of the entries, and the half-width glyphs present, ASCII first.
struct CompressedSets {
    std::optional<CompressedGlyphs> full, half;
};
CompressedSets compress_sets(const std::vector<FontEntry>& entries, const GlyphTable& glyphs, const FontKind& font,
                             const IncludeLayout& layout, const HalfTable* half, int max_bits);

// The shapes of a font's glyphs as the coder takes them: full-width, half-width.
constexpr GlyphShape full_shape(const FontKind& font) { return {font.dots, font.dots, font.band}; }
constexpr GlyphShape half_shape(const FontKind& font) { return {font.half_dots, font.dots, 1}; }

// What the include file of the registered characters will hold, before it is written; a
// compressing layout counts its compressed sets only with the glyphs (else as raw).
IncludeSummary summarize_include_file(const KanjiGrid& registered, const FontKind& font, CodeRange range_if_empty,
                                      const IncludeLayout& layout = {});
IncludeSummary summarize_include_file(const KanjiGrid& registered, const GlyphTable& glyphs, const FontKind& font,
                                      CodeRange range_if_empty, const IncludeLayout& layout, const HalfTable* half);

// Writes the complete include file of the registered characters with their glyphs in the
// layout of font, for compiler, with time in the banner. An empty set writes range_if_empty
// as its first and last code: the range of the last file that had characters. The
// half-width glyphs a layout asks for come from half. A file written with an image names it:
// FONT_IMAGE_CRC is the image's identity (image_identity in font_image.h).
IncludeSummary write_include_file(TextWriter& out, const KanjiGrid& registered, const GlyphTable& glyphs,
                                  const FontKind& font, const CompilerKind& compiler, const BannerTime& time,
                                  CodeRange range_if_empty, const IncludeLayout& layout = {},
                                  const HalfTable* half = nullptr, std::optional<std::uint32_t> image_crc = std::nullopt);

}  // namespace sorvane
