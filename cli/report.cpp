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

void print_text(std::string_view sjis) { print_sjis(stdout, sjis); }

}  // namespace sorvane::cli
