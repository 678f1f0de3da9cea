// The commands every face shares: the window maps its control rows to them, sorvane-cli its
// words. Each works on the state it is given and returns its outcome; how a face gets a
// path, reports an outcome and holds the list texts is its own business.
#pragma once

#include <array>
#include <functional>
#include <span>
#include <string>

#include "app/messages.h"
#include "core/scanner.h"
#include "fontgen/include_writer.h"
#include "state/app_state.h"

namespace sorvane {

// The list texts a command rewrote, for a face that shows them.
enum ListChange : unsigned {
    no_list = 0,
    detected_list = 1,
    registered_list = 2,
};

// What a command came to: success, or a message of the message table about a file, with the
// reason the system gave.
struct Outcome {
    int message = no_message;
    const char* subject = "";  // the file the message concerns
    int error = 0;             // errno of the failure; 0 when there is none to tell
    unsigned lists = no_list;  // ListChange bits
    int reason = no_message;   // a message that says why, where errno has nothing to say
    long line = 0;             // for a message that names a place in the subject: its %2
    long long offset = 0;      // and its %3, a byte offset
    bool usage = false;        // a failure of what the words of a command line meant

    bool ok() const { return message == no_message; }
};

// How a face holds the list texts. The window keeps them in its boxes: it pulls them into
// the state just before a command reads them (and locks its buttons meanwhile), and shows
// them again after the command changed them. sorvane-cli keeps them in the state and lends
// nothing. A command that fails before it reads the lists calls neither.
class ListHolder {
public:
    virtual ~ListHolder() = default;
    virtual void pull() const {}
    virtual void show(unsigned /*lists: ListChange bits*/) const {}
};

// The commands of the list buttons. Each expects the list texts of the state to be current.
Outcome add_detected(AppState& state);       // "Add the above": the union, in normal form
Outcome remove_detected(AppState& state);    // "Remove the above"
Outcome sort_registered(AppState& state);    // "Sort characters": the registered list in normal form
Outcome clear_registered(AppState& state);   // "Clear all": kanji_num becomes 0
Outcome clear_detected(AppState& state);     // "Clear": detected_num keeps the count of the last scan

// The radio choices and the language: each stores its value as it is given.
Outcome choose_font(AppState& state, int value);
Outcome choose_compiler(AppState& state, int value);
Outcome choose_output_sequence(AppState& state, int value);
Outcome choose_language(AppState& state, int language);

// How one file to scan is read into marks of its characters.
using MarkFile = std::function<Outcome(const char* path, Scanner& scanner, KanjiGrid& found)>;

// Reads a Shift_JIS file; "Can't open the input file." when it cannot be opened or read.
Outcome mark_shift_jis_file(const char* path, Scanner& scanner, KanjiGrid& found);

// "text file" once its files are chosen: input_path becomes the last of them; each is read
// through mark_file; when every one could be read, the registered list is brought into
// normal form and the detected list becomes the characters of all of them together that are
// not yet registered. Otherwise no list changes, and the outcome is the first failure.
Outcome scan_files(AppState& state, std::span<const char* const> paths, MarkFile mark_file = mark_shift_jis_file,
                   const ListHolder& lists = ListHolder{});

// The output file a generation offers: the last one written, "Font.inc" at first.
const char* offered_output_path(AppState& state);

struct FontSourceLoad {
    Outcome outcome;  // success, or the file could not be opened; the glyph store is then as it was
    int lines = 0;    // lines read; 8836 for a whole file
};

// Reads the font source file of the chosen font into the glyph store and sets kanji_size. Its
// name is the settings file's path with the font's suffix in place of "ini", in font_path.
FontSourceLoad load_font_source(AppState& state);

// What a build asks of an include file before it takes the place of the last one.
struct GenerationGuards {
    long long max_bytes = -1;  // the most flash the tables (or the image) may take; -1 for no limit
    bool strict = false;       // every registered character and half-width code asked for has a glyph
};

// The half-width font source file of the chosen font: the settings file's path with the
// font's half-width suffix in place of "ini".
std::string half_source_path(const AppState& state);

// The half-width codes a layout asks for whose glyph is blank (the space is blank by nature):
// their number, and the first of them in code order in first.
int missing_half_glyphs(const HalfTable& half, const IncludeLayout& layout, std::span<int> first = {});

struct Generation;

// Reads the half-width glyphs a layout asks for; false, with the reason in the generation,
// when the file cannot be read, holds glyphs of another size or has none of them.
bool load_half_source(const AppState& state, const IncludeLayout& layout, HalfTable& half, Generation& generation);

// What "Generating font data" did.
struct Generation {
    Outcome outcome;       // success, or the output file could not be created or written
    Outcome font;          // success, or the font source file could not be opened
    int font_lines = 0;    // lines of the font source file read; 8836 for a whole one
    IncludeSummary include;
    int missing_glyphs = 0;  // registered characters whose glyph in the font is blank
    bool too_big = false;    // refused by the guards: an output outgrew max_bytes (the image
    bool image_over = false; // alone, when the include file's tables fit),
    bool not_whole = false;  // or a glyph is missing under strict
    // Half-width glyphs asked for: their file could not be read (half_error, an errno or a
    // message), holds glyphs of another size (half_fault), has none of them, or lacks some
    // (counted, the first of them named).
    long long image_bytes = 0;  // the image written, when one was asked for
    bool other_generation = false;  // the include file and the image it replaced were of two generations
    bool half_refused = false;
    int half_error = 0;
    SourceFault half_fault;
    int missing_half = 0;
    std::array<int, 10> first_missing_half{};
    IncludeLayout layout;  // of the include file, as the choices asked for it
    IncludeSummary image_tables;  // the tables of an image that outgrew max_bytes (font_image_size)
    long long image_size = 0;     // and its bytes
    std::string image;     // the image's path; empty for none
};

// "Generating font data" into path, with time in the banner, with the choices given (null:
// those the state keeps): the output path becomes path and the state keeps the choices, unless
// the generation is refused before it writes (path is one of its inputs, or the guards refuse
// it), which leaves both as they were; the registered list is brought into normal form; the font source of the chosen font is read
// into the glyph store (a file that cannot be opened leaves it as it was, and the include
// file is written all the same); the settings of the last generation are set, and the
// include file is written completely. A file that could not be written whole, or that the
// guards refuse, is removed, and the last one stays as it was.
// The half-width glyphs a layout asks for come from the half-width font source file: a file
// that cannot be read, or has none of them, refuses the generation.
Generation generate(AppState& state, const char* path, const BannerTime& time, const ListHolder& lists = ListHolder{},
                    const GenerationGuards& guards = {}, const GenerationChoices* choices = nullptr);

// The registered characters whose glyph in the glyph store is blank: their number, and the
// first of them in grid order in first. The ideographic space 0x8140 is blank by nature and
// not counted.
int missing_glyphs(const AppState& state, std::span<int> first);

}  // namespace sorvane
