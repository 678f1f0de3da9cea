#include "cli/report.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "app/messages.h"
#include "core/kanji_grid.h"
#include "cli/terminal.h"
#include "state/app_state.h"

namespace sorvane::cli {

void complain(const char* format, ...) {
    std::fflush(stdout);
    std::fputs("sorvane-cli: ", stderr);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
}

void complain_message(int message, std::string_view subject) {
    std::string_view text = message_text(message, app_state.language());
    if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
    std::fflush(stdout);
    std::fputs("sorvane-cli: ", stderr);
    print_sjis(stderr, text);
    std::fprintf(stderr, " (%.*s)\n", static_cast<int>(subject.size()), subject.data());
}

void complain_file(int message, std::string_view path, std::string_view reason) {
    std::string subject(path);
    subject += ": ";
    subject += reason;
    complain_message(message, subject);
}

void print_character(std::FILE* stream, int cell) {
    const SjisBytes b = bytes_of(cell);
    const char text[2] = {static_cast<char>(b.lead), static_cast<char>(b.trail)};
    print_sjis(stream, std::string_view(text, 2));
    std::fprintf(stream, " (%#x)", code_of(cell));
}

std::string utf8_of(char32_t c) {
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | c >> 6);
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += static_cast<char>(0xE0 | c >> 12);
        s += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | c >> 18);
        s += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        s += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

void print_text(std::string_view sjis) { print_sjis(stdout, sjis); }

}  // namespace sorvane::cli
