// sorvane-cli: the command-line twin of the window, on the same Sorvane.ini.
#pragma once

#include <span>
#include <string_view>
#include <string>
#include <vector>

#include "app/command_table.h"

namespace sorvane::cli {


// A command line taken apart; error holds a usage error, if any.
struct Invocation {
    const char* directory = nullptr;  // -C DIR
    const CommandRow* command = nullptr;
    std::vector<const char*> operands;
    Options options;                  // as the rows of the option table set them
    bool help = false;
    bool version = false;
    std::string error;
};

Invocation parse_arguments(int argc, const char* const* argv);

// Runs a command line; returns the exit status: 0 success, 1 a file could not be opened,
// created, read or written, 2 a usage error.
int run(AppState& state, int argc, const char* const* argv);

// What may come after the words of a command line, for the shell's completion, a line each:
// words to choose from, ":options WORDS" (for a word that begins with '-'), ":files
// [EXTENSION]" or ":dirs".
std::string completions(std::span<const char* const> words);

// The vocabularies of the tables for the packaging, made at build time: "man", the man page
// whose template is page, each of its lines "@usage WORD@" replaced by the command's usage;
// "cmake", the value lists of the commands' choices and of the options as CMake variables.
// Empty for another kind.
std::string vocabulary(std::string_view kind, std::string_view page = {});

// Runs the program's own command line, its words taken as the platform gives them.
int run_program(AppState& state, int argc, char** argv);

}  // namespace sorvane::cli
