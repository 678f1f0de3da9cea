// sorvane-cli: the command-line twin of the window, on the same Sorvane.ini.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/command_table.h"

namespace sorvane::cli {


// A command line taken apart; error holds a usage error, if any.
struct Invocation {
    const char* directory = nullptr;  // -C DIR
    const CommandRow* command = nullptr;
    std::vector<const char*> operands;
    const char* output = nullptr;     // -o FILE
    const char* bit_order = nullptr;  // --bit-order
    const char* encoding = nullptr;   // --encoding
    const char* text = nullptr;       // --text: a Shift_JIS text for preview to draw
    int size = 0;                     // --size: the font's size in dots, one of the font table
    int face = 0;                     // --face N: the face of a font collection
    bool add = false;                 // --add: the scan's characters are registered at once
    long long max_bytes = -1;         // --max-bytes N: generate fails when the tables take more
    bool strict = false;              // --strict: generate fails when a glyph is missing
    std::optional<HalfWidth> half_width;  // --half-width: the half-width glyphs generate writes
    std::optional<KeyChoice> key;         // --key: the key table generate writes
    const char* half_font = nullptr;  // --half FONT: import-font takes half-width glyphs from it
    const char* image = nullptr;      // --image IMAGE: generate writes the font's image too
    bool no_image = false;            // --no-image: generate writes no image any more
    bool help = false;
    bool version = false;
    std::string error;
};

Invocation parse_arguments(int argc, const char* const* argv);

// Runs a command line; returns the exit status: 0 success, 1 a file could not be opened,
// created, read or written, 2 a usage error.
int run(AppState& state, int argc, const char* const* argv);

// Runs the program's own command line, its words taken as the platform gives them.
int run_program(AppState& state, int argc, char** argv);

}  // namespace sorvane::cli
