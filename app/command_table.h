// The one table of commands. A row is a command: its word on the command line with its
// operands and help line, its row in the window, the dialog its button opens, how it meets
// the settings file, and its handler. The command line's words and the window's buttons are
// views of it; a new command is one row here and one function.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "app/commands.h"
#include "app/face.h"
#include "app/session.h"
#include "fontgen/font_import.h"

namespace sorvane {

// The rows of the window's controls that run a command: a button, or the first radio button
// of a group, whose place in the group is the choice.
enum WindowRow : int {
    language_button = 1,
    clear_detected_button = 5,
    text_file_button = 6,
    add_button = 10,
    clear_all_button = 11,
    sort_button = 12,
    remove_button = 13,
    generate_button = 25,
    k14_radio = 31,
    output_sequence_radio = 37,
    xc32_radio = 42,
};

// The groups of options a command takes on the command line besides its operands; each row
// of the option table belongs to one.
enum Option : unsigned {
    takes_output = 1,     // -o
    takes_bit_order = 2,  // --bit-order
    takes_encoding = 4,   // --encoding
    takes_add = 8,        // --add
    takes_size = 16,      // --size and --face
    takes_text = 32,      // --text
    takes_guards = 64,    // --strict
    takes_layout = 128,   // --half-width and --key
    takes_half = 256,     // --half
    takes_image = 512,    // --image and --no-image
    takes_name = 1024,    // --name and --no-name
    takes_compress = 2048,  // --compress and --no-compress
    takes_budget = 4096,  // --max-bytes
};

// What the options of a command line set.
struct Options {
    const char* encoding = nullptr;       // of the texts to scan; null for Shift_JIS
    bool add = false;                     // the scan's characters are registered at once
    GenerationGuards guards;
    const char* output = nullptr;         // -o
    BitOrder order = BitOrder::lsb_left;
    int size = 0;                         // --size: the font's size in dots
    int face_index = 0;                   // --face: the face of a collection
    const char* text = nullptr;           // --text: a text for preview to draw
    // The generation's choices given: each one given replaces the one the state keeps.
    std::optional<HalfWidth> half_width;  // --half-width
    std::optional<KeyChoice> key;         // --key
    const char* image = nullptr;          // --image
    bool no_image = false;                // --no-image
    const char* name = nullptr;           // --name: the font's C identifier
    bool no_name = false;                 // --no-name
    std::optional<bool> compress;         // --compress, --no-compress
    const char* half_font = nullptr;      // --half
};

// What a face hands a command.
struct Request : Options {
    explicit Request(const Face& by, std::span<const char* const> given = {}) : face(by), files(given) {}

    const Face& face;
    std::span<const char* const> files;  // the operands, or the file a dialog returned
    int choice = -1;                      // a choice's place among its words; -1 to toggle (the language)
    bool standard_input = false;          // "-" among the files is standard input
};

// What completes a word on the command line: a file (of an extension, or any), a folder, or
// one of some words suggested (any other will do as well).
enum class Completion { nothing, file, folder, words };

struct CommandRow {
    const char* word;      // on the command line; null for a row of the window alone
    const char* operands;  // as the usage shows them; null for a choice's words
    const char* help;
    int min_operands;
    int max_operands;
    unsigned options;            // Option bits
    const char* const* choices;  // the words the one operand may be, or null
    int window_row;              // -1: not in the window
    Dialog dialog;               // what the window's button asks for first
    StateUse state;
    Outcome (*run)(AppState& state, const Request& request);
    Completion operand_completion = Completion::nothing;  // what completes an operand
    const char* operand_extension = nullptr;               // of its files
};

// The one table of options: a row is an option of the command line. The usage, the parsing,
// the shell's completion, the man page and the checks of the CMake package read it.
struct OptionRow {
    const char* word;     // "--max-bytes", "-o"
    const char* value;    // as the usage names it ("N", "FILE"); null for a flag
    const char* values;   // the words the value is one of, between '|'; null for any value
    const char* expects;  // what any value must be, for a usage error; null when any will do
    unsigned group;       // an Option bit: the commands that take the group take it
    const char* help;
    Completion completes = Completion::nothing;  // the value's
    const char* completes_with = nullptr;        // the extension of its files, or the words, between '|'
    // Sets what the option means: value is null for a flag, choice its place among values
    // (or -1); false for a value it does not take.
    bool (*set)(Options& options, const char* value, int choice) = nullptr;
};

std::span<const OptionRow> option_table();

// The usage of a command: its word, its operands and its options; a choice's words
// between '|' after the word.
std::string usage_of(const CommandRow& command);

// Each word between '|' of words, with between after each but the last.
std::string joined(std::string_view words, std::string_view between, std::string_view before_last);

// The place of word among the words between '|' of values, ignoring case; -1 for none.
int place_among(const char* values, std::string_view word);

// The commands; the command line's usage lists them in this order.
std::span<const CommandRow> command_table();

// The row of a word of the command line, or null.
const CommandRow* command_of_word(std::string_view word);

// The row of a button of the window, or of the first radio button of a group; null for none.
const CommandRow* command_of_window_row(int row);

}  // namespace sorvane
