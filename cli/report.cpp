#include "cli/report.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/messages.h"
#include "app/session.h"
#include "cli/terminal.h"

namespace sorvane::cli {
namespace {

// Writes a message of the table in a language: its Shift_JIS text in the terminal's
// encoding, each %1 to %9 as its filler is (a Shift_JIS filler converted too). '%' is never
// the second byte of a Shift_JIS character, so the text can be searched for it byte by byte.
void write_message(std::FILE* stream, int language, int message, Fillers fillers) {
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
            const Filler& filler = fillers.begin()[index];
            if (filler.shift_jis) print_sjis(stream, filler.text);
            else std::fwrite(filler.text.data(), 1, filler.text.size(), stream);
        }
        text.remove_prefix(mark + 2);
    }
}

void start_complaint() {
    std::fflush(stdout);
    std::fputs("sorvane-cli: ", stderr);
}

}  // namespace

void CommandLineFace::say(const AppState& state, int message, Fillers fillers) const {
    write_message(stdout, state.language(), message, fillers);
    std::fputc('\n', stdout);
}

void CommandLineFace::complain(const AppState& state, int message, Fillers fillers) const {
    start_complaint();
    write_message(stderr, state.language(), message, fillers);
    std::fputc('\n', stderr);
}

void CommandLineFace::note(const AppState& state, int message, Fillers fillers) const {
    std::fflush(stdout);
    write_message(stderr, state.language(), message, fillers);
    std::fputc('\n', stderr);
}

void CommandLineFace::complain_file(const AppState& state, int message, std::string_view path, std::string_view reason) const {
    start_complaint();
    write_message(stderr, state.language(), message, {});
    std::fprintf(stderr, " (%.*s", static_cast<int>(path.size()), path.data());
    if (!reason.empty()) std::fprintf(stderr, ": %.*s", static_cast<int>(reason.size()), reason.data());
    std::fputs(")\n", stderr);
}

void CommandLineFace::complain_file(const AppState& state, int message, std::string_view path, int reason,
                                    Fillers fillers) const {
    start_complaint();
    write_message(stderr, state.language(), message, {});
    std::fprintf(stderr, " (%.*s: ", static_cast<int>(path.size()), path.data());
    write_message(stderr, state.language(), reason, fillers);
    std::fputs(")\n", stderr);
}

bool CommandLineFace::report(const AppState& state, const Outcome& outcome) const {
    if (outcome.ok()) return true;
    if (outcome.message == message_said) return false;
    // A message that names a place in its file fills in the file, the line and the offset.
    if (std::string_view(message_text(outcome.message, 0)).find("%1") != std::string_view::npos)
        complain(state, outcome.message, {outcome.subject, outcome.line, outcome.offset});
    else if (outcome.reason != no_message) complain_file(state, outcome.message, outcome.subject, outcome.reason);
    else if (outcome.error != 0) complain_file(state, outcome.message, outcome.subject, std::strerror(outcome.error));
    else complain_file(state, outcome.message, outcome.subject, std::string_view());
    return false;
}

void complain_usage(const char* format, ...) {
    start_complaint();
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
}

bool report_session(const AppState& state, const Face& face, const Session& session, bool save) {
    const char* ini = state.ini_path.data();
    switch (session.loaded) {
    case LoadOutcome::loaded:
    case LoadOutcome::missing: break;
    case LoadOutcome::no_path: face.complain(state, message_no_ini_path, {static_cast<int>(ini_path_capacity) - 13}); return false;
    case LoadOutcome::busy:
        face.complain_file(state, message_folder_in_use, settings_lock_path(state).data(), message_locked_for,
                           {settings_wait_ms / 1000});
        return false;
    case LoadOutcome::not_a_file: face.complain_file(state, message_cannot_read, ini, message_not_a_file); return false;
    case LoadOutcome::lock_not_a_file:
    case LoadOutcome::lock_is_link:
        face.complain_file(state, message_lock_refused, settings_lock_path(state).data(),
                           session.loaded == LoadOutcome::lock_is_link ? message_lock_is_link : message_not_a_file);
        return false;
    case LoadOutcome::lock_refused:
        face.complain_file(state, message_lock_refused, settings_lock_path(state).data(), std::strerror(session.load_error));
        return false;
    case LoadOutcome::unreadable:
        if (session.load_error) face.complain_file(state, message_cannot_read, ini, std::strerror(session.load_error));
        else face.complain_file(state, message_cannot_read, ini, message_read_error);
        return false;
    case LoadOutcome::damaged:
        // Saving over a damaged file would lose what stands after the damage; a look at it is fine.
        face.complain_file(state, message_settings_damaged, ini, save ? message_damaged_left : message_damaged_not_shown,
                           {session.damaged_line});
        if (save) return false;
        break;
    }
    if (session.saved) return true;
    if (session.save_error) face.complain_file(state, message_cannot_write, ini, std::strerror(session.save_error));
    else face.complain_file(state, message_cannot_write, ini, message_write_error);
    return false;
}

}  // namespace sorvane::cli
