#include "cli/report.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "app/messages.h"
#include "core/kanji_grid.h"
#include "cli/terminal.h"
#include "state/app_state.h"

namespace sorvane::cli {
namespace {

// Writes a message of the table in the current language: its Shift_JIS text in the terminal's
// encoding, each %1 to %9 as its filler is. '%' is never the second byte of a Shift_JIS
// character, so the text can be searched for it byte by byte.
void write_message(std::FILE* stream, int language, int message, std::initializer_list<Filler> fillers) {
    std::string_view text = message_text(message, language);
    if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
    while (!text.empty()) {
        const std::size_t mark = text.find('%');
        if (mark == std::string_view::npos || mark + 1 >= text.size() || text[mark + 1] < '1' || text[mark + 1] > '9') {
            const std::size_t end = mark == std::string_view::npos ? text.size() : mark + 1;
            print_sjis(stream, text.substr(0, end));
            text.remove_prefix(end);
            continue;
        }
        print_sjis(stream, text.substr(0, mark));
        const std::size_t index = static_cast<std::size_t>(text[mark + 1] - '1');
        if (index < fillers.size()) {
            const std::string& filler = fillers.begin()[index].text;
            std::fwrite(filler.data(), 1, filler.size(), stream);
        }
        text.remove_prefix(mark + 2);
    }
}

void start_complaint() {
    std::fflush(stdout);
    std::fputs("sorvane-cli: ", stderr);
}

}  // namespace

void say(const AppState& state, int message, std::initializer_list<Filler> fillers) {
    write_message(stdout, state.language(), message, fillers);
    std::fputc('\n', stdout);
}

void complain(const AppState& state, int message, std::initializer_list<Filler> fillers) {
    start_complaint();
    write_message(stderr, state.language(), message, fillers);
    std::fputc('\n', stderr);
}

void note(const AppState& state, int message, std::initializer_list<Filler> fillers) {
    std::fflush(stdout);
    write_message(stderr, state.language(), message, fillers);
    std::fputc('\n', stderr);
}

void complain_file(const AppState& state, int message, std::string_view path) {
    start_complaint();
    write_message(stderr, state.language(), message, {});
    std::fprintf(stderr, " (%.*s)\n", static_cast<int>(path.size()), path.data());
}

void complain_usage(const char* format, ...) {
    start_complaint();
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
}

void complain_file(const AppState& state, int message, std::string_view path, std::string_view reason) {
    start_complaint();
    write_message(stderr, state.language(), message, {});
    std::fprintf(stderr, " (%.*s: %.*s)\n", static_cast<int>(path.size()), path.data(), static_cast<int>(reason.size()),
                 reason.data());
}

void complain_file(const AppState& state, int message, std::string_view path, int reason,
                   std::initializer_list<Filler> fillers) {
    start_complaint();
    write_message(stderr, state.language(), message, {});
    std::fprintf(stderr, " (%.*s: ", static_cast<int>(path.size()), path.data());
    write_message(stderr, state.language(), reason, fillers);
    std::fputs(")\n", stderr);
}

void print_character(std::FILE* stream, int cell) {
    const SjisBytes b = bytes_of(cell);
    const char text[2] = {static_cast<char>(b.lead), static_cast<char>(b.trail)};
    print_sjis(stream, std::string_view(text, 2));
    std::fprintf(stream, " (%#x)", code_of(cell));
}

void print_text(std::string_view sjis) { print_sjis(stdout, sjis); }

}  // namespace sorvane::cli
