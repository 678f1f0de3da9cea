// Everything sorvane-cli says: results on stdout, diagnostics on stderr through one function,
// each a message of the message table in the current language.
#pragma once

#include <cstddef>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>

#include "state/app_state.h"

namespace sorvane::cli {

// A value a message fills in for one of its %1 to %9: a path or a word as it is, or a number.
struct Filler {
    Filler(std::string_view s) : text(s) {}
    Filler(const char* s) : text(s ? s : "") {}
    Filler(const std::string& s) : text(s) {}
    Filler(int n) : text(std::to_string(n)) {}
    Filler(long n) : text(std::to_string(n)) {}
    Filler(long long n) : text(std::to_string(n)) {}
    Filler(std::size_t n) : text(std::to_string(n)) {}
    std::string text;
};

// Every message is in the language of the state it is given.

// A message on stdout, filled in, with a line end.
void say(const AppState& state, int message, std::initializer_list<Filler> fillers = {});

// "sorvane-cli: " and a message on stderr, filled in, with a line end.
void complain(const AppState& state, int message, std::initializer_list<Filler> fillers = {});

// A message on stderr on a line of its own, filled in, without the program's name: a line
// that goes on from the complaint before it.
void note(const AppState& state, int message, std::initializer_list<Filler> fillers = {});

// "sorvane-cli: " and a usage error on stderr, in English, as the usage text is.
void complain_usage(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// A message about a file, and why: "message (path: reason)". The reason is the system's
// words (strerror) as they are, or a message of the table.
void complain_file(const AppState& state, int message, std::string_view path, std::string_view reason);
void complain_file(const AppState& state, int message, std::string_view path);
void complain_file(const AppState& state, int message, std::string_view path, int reason,
                   std::initializer_list<Filler> fillers = {});

// The character of a cell and its code, as the terminal shows them: "字 (0x8e9a)".
void print_character(std::FILE* stream, int cell);

// A Shift_JIS text on stdout, in the terminal's encoding.
void print_text(std::string_view sjis);

}  // namespace sorvane::cli
