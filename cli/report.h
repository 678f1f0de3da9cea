// Everything sorvane-cli says: results on stdout, diagnostics on stderr through one function.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace sorvane::cli {

// "sorvane-cli: " and the formatted text on stderr, with a line end.
void complain(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// A message of the message table in the current language, and what it concerns
// ("path: reason"), on stderr.
void complain_message(int message, std::string_view subject);

// A message of the message table about a file, and why: "path: reason".
void complain_file(int message, std::string_view path, std::string_view reason);

// The character of a cell and its code, as the terminal shows them: "字 (0x8e9a)".
void print_character(std::FILE* stream, int cell);

// A code point in UTF-8, the encoding of the terminals the warnings are written for.
std::string utf8_of(char32_t c);

// A Shift_JIS text on stdout, in the terminal's encoding.
void print_text(std::string_view sjis);

}  // namespace sorvane::cli
