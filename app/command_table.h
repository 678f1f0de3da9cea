// The one table of commands. A row is a command: its word on the command line with its
// operands and help line, its row in the window, the dialog its button opens, how it meets
// the settings file, and its handler. The command line's words and the window's buttons are
// views of it; a new command is one row here and one function.
#pragma once

#include <optional>
#include <span>
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

// Options a command takes on the command line besides its operands.
enum Option : unsigned {
    takes_output = 1,     // -o FILE
    takes_bit_order = 2,  // --bit-order lsb-left|msb-left
    takes_encoding = 4,   // --encoding NAME
    takes_add = 8,        // --add
    takes_size = 16,      // --size of a font's dots, and --face N
    takes_text = 32,      // --text FILE
    takes_guards = 64,    // --max-bytes N and --strict
    takes_layout = 128,   // --half-width ascii|kana|all and --key sjis|unicode
    takes_half = 256,     // --half FONT: the half-width glyphs from a second font
    takes_image = 512,    // --image IMAGE: the font's image for external flash as well
};

// What a face hands a command.
struct Request {
    explicit Request(const Face& by, std::span<const char* const> given = {}) : face(by), files(given) {}

    const Face& face;
    std::span<const char* const> files;  // the operands, or the file a dialog returned
    int choice = -1;                      // a choice's place among its words; -1 to toggle (the language)
    bool standard_input = false;          // "-" among the files is standard input
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
    const char* half_font = nullptr;      // --half
};

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
};

// The commands; the command line's usage lists them in this order.
std::span<const CommandRow> command_table();

// The row of a word of the command line, or null.
const CommandRow* command_of_word(std::string_view word);

// The row of a button of the window, or of the first radio button of a group; null for none.
const CommandRow* command_of_window_row(int row);

}  // namespace sorvane
