#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>

#include "app/commands.h"
#include "app/encoded_text.h"
#include "app/session.h"
#include "cli/handlers.h"
#include "cli/report.h"
#include "cli/terminal.h"
#include "core/files.h"
#include "core/kanji_grid.h"
#include "core/utf8_text.h"
#include "fontgen/font_table.h"
#include "state/app_state.h"
#include "state/settings_file.h"

namespace sorvane::cli {
namespace {

const char* font_name(const AppState& state) { return font_of(state.settings[font_kind]).name; }

const char* compiler_name(const AppState& state) { return compiler_of(state.settings[compiler]).name; }


// Names what the files held that the font cannot have.
void report_left_out(const AppState& state, const LeftOut& left_out) {
    if (left_out.count == 0) return;
    complain(state, left_out.count > 10 ? message_left_out_first_ten : message_left_out, {left_out.count});
    for (long i = 0; i < left_out.count && i < 10; ++i) {
        const Unmapped& u = left_out.first[static_cast<std::size_t>(i)];
        std::fprintf(stderr, "  %s:%ld: U+%04X %s\n", u.file.c_str(), u.line, static_cast<unsigned>(u.code_point),
                     utf8_of(u.code_point).c_str());
    }
}

// Runs a list command and says the two counts after it.
int list_command(AppState& state, Outcome (*command)(AppState&)) {
    command(state);
    say(state, message_counts, {state.settings[kanji_num], state.settings[detected_num]});
    return 0;
}

// A list text, a line of it at a time, indented.
void print_list(std::string_view text) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        std::fputs("  ", stdout);
        print_text(line);
        std::fputc('\n', stdout);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
}


// Names the registered characters without a glyph, the first twenty of them.
void list_missing_glyphs(const AppState& state, const Generation& generation) {
    std::array<int, 20> first{};
    missing_glyphs(state, first);
    for (int i = 0; i < generation.missing_glyphs && i < static_cast<int>(first.size()); ++i) {
        std::fputs("  ", stderr);
        print_character(stderr, first[static_cast<std::size_t>(i)]);
        std::fputc('\n', stderr);
    }
    if (generation.missing_glyphs > static_cast<int>(first.size()))
        note(state, message_and_more, {generation.missing_glyphs - static_cast<int>(first.size())});
}

void warn_about_missing_glyphs(const AppState& state, const Generation& generation) {
    const char* font_file = state.text_slots[font_path].data();
    if (generation.font_lines < grid_cells) {
        complain(state, message_font_ends_early, {font_file, generation.font_lines, grid_cells});
    }
    if (generation.missing_glyphs == 0) return;
    complain(state, message_missing_glyphs, {font_file});
    list_missing_glyphs(state, generation);
}

// Says that the settings file is damaged, and where; a command that would save leaves it.
void complain_damaged(const AppState& state, int line, bool save) {
    complain_file(state, message_settings_damaged, state.ini_path.data(), save ? message_damaged_left : message_damaged_not_shown, {line});
}

// Says what went wrong, in the current language; false for a failure.
bool report(const AppState& state, const Outcome& outcome) {
    if (outcome.ok()) return true;
    if (outcome.message == message_said) return false;
    // A message that names a place in its file fills in the file, the line and the offset.
    if (std::string_view(message_text(outcome.message, 0)).find("%1") != std::string_view::npos)
        complain(state, outcome.message, {outcome.subject, outcome.line, outcome.offset});
    else if (outcome.reason != no_message) complain_file(state, outcome.message, outcome.subject, outcome.reason);
    else if (outcome.error != 0) complain_file(state, outcome.message, outcome.subject, std::strerror(outcome.error));
    else complain_file(state, outcome.message, outcome.subject);
    return false;
}

// Says why the settings cycle could not run the command, or could not save; false then.
bool report(const AppState& state, const Session& session, bool save) {
    const char* ini = state.ini_path.data();
    switch (session.loaded) {
    case LoadOutcome::loaded:
    case LoadOutcome::missing: break;
    case LoadOutcome::no_path: complain(state, message_no_ini_path, {static_cast<int>(ini_path_capacity) - 13}); return false;
    case LoadOutcome::busy:
        complain_file(state, message_folder_in_use, settings_lock_path(state).data(), message_locked_for,
                      {settings_wait_ms / 1000});
        return false;
    case LoadOutcome::not_a_file: complain_file(state, message_cannot_read, ini, message_not_a_file); return false;
    case LoadOutcome::lock_not_a_file:
        complain_file(state, message_cannot_read, settings_lock_path(state).data(), message_not_a_file);
        return false;
    case LoadOutcome::unreadable:
        if (session.load_error) complain_file(state, message_cannot_read, ini, std::strerror(session.load_error));
        else complain_file(state, message_cannot_read, ini, message_read_error);
        return false;
    case LoadOutcome::damaged:
        complain_damaged(state, session.damaged_line, save);
        if (save) return false;
        break;
    }
    if (session.saved) return true;
    if (session.save_error) complain_file(state, message_cannot_write, ini, std::strerror(session.save_error));
    else complain_file(state, message_cannot_write, ini, message_write_error);
    return false;
}

// A Shift_JIS file, or standard input for "-", read as the window reads its file.
Outcome mark_file_as_is(const char* path, Scanner& scanner, KanjiGrid& found) {
    if (std::strcmp(path, "-") != 0) return mark_shift_jis_file(path, scanner, found);
    std::array<std::uint8_t, 1 << 16> buffer;
    TextReader in(open_input("-"), buffer);
    scanner.mark_characters(in, found);
    if (!in.read_failed()) return {};
    return {message_cannot_read, "-", errno};
}

}  // namespace

int with_state(AppState& state, const Invocation& call, bool save, int (*command)(AppState&, const Invocation&)) {
    int status = 1;
    const Session session = run_on_settings(state, save ? StateUse::load_and_save : StateUse::load,
                                            [&] { status = command(state, call); });
    if (!report(state, session, save)) return session.ran && status != 0 ? status : 1;
    return status;
}

int scan_command(AppState& state, const Invocation& call) {
    LeftOut left_out;
    const bool utf8 = is_utf8_name(call.encoding);
    std::unique_ptr<Decoder> decoder;
    if (call.encoding && !utf8) decoder = std::make_unique<Decoder>(call.encoding);
    const MarkFile encoded = [&left_out, &decoder](const char* path, Scanner& scanner, KanjiGrid& found) {
        return decoder ? mark_encoded_file(path, *decoder, scanner, found, left_out) : mark_utf8_file(path, found, left_out);
    };
    const bool scanned = report(state, scan_files(state, call.operands, call.encoding ? encoded : mark_file_as_is));
    if (call.encoding) report_left_out(state, left_out);
    if (!scanned) return 1;
    if (call.operands.size() == 1) say(state, message_scanned_file, {call.operands[0], state.settings[detected_num]});
    else say(state, message_scanned_files, {call.operands.size(), state.settings[detected_num]});
    return call.add ? list_command(state, add_detected) : 0;
}

int add_command(AppState& state, const Invocation&) { return list_command(state, add_detected); }
int remove_command(AppState& state, const Invocation&) { return list_command(state, remove_detected); }
int sort_command(AppState& state, const Invocation&) { return list_command(state, sort_registered); }
int clear_command(AppState& state, const Invocation&) { return list_command(state, clear_registered); }
int clear_detected_command(AppState& state, const Invocation&) { return list_command(state, clear_detected); }

int generate_command(AppState& state, const Invocation& call) {
    BannerTime time{};
    if (banner_time(time) == BannerClock::beyond_calendar) {
        complain(state, message_epoch_beyond_calendar, {std::getenv("SOURCE_DATE_EPOCH")});
        return 2;
    }
    const char* path = call.operands.empty() ? offered_output_path(state) : call.operands[0];
    const Generation generation = generate(state, path, time, {}, {call.max_bytes, call.strict});
    if (generation.too_big) {
        const IncludeSummary& s = generation.include;
        complain(state, message_too_big, {path, s.index_table_bytes + s.glyph_table_bytes, s.index_table_bytes,
                                          s.glyph_table_bytes, s.count, font_name(state), call.max_bytes});
        return 1;
    }
    if (generation.not_whole) {
        const char* font_file = state.text_slots[font_path].data();
        // A font that cannot be read has no glyph to count: its error first, then the refusal.
        if (!generation.font.ok()) {
            report(state, generation.font);
            complain(state, message_strict_no_font, {path, font_file});
            return 1;
        }
        complain(state, message_strict_missing, {path, generation.missing_glyphs, font_file});
        list_missing_glyphs(state, generation);
        return 1;
    }
    const bool font_read = report(state, generation.font);
    if (!report(state, generation.outcome)) return 1;

    const int count = generation.include.count;
    say(state, message_generated, {state.text_slots[output_path].data(), count, font_name(state), compiler_name(state),
                                   generation.include.index_table_bytes, generation.include.glyph_table_bytes});
    if (font_read) warn_about_missing_glyphs(state, generation);
    return font_read ? 0 : 1;
}

int font_command(AppState& state, const Invocation& call) {
    choose_font(state, choice_of(call));
    say(state, message_font_chosen, {font_name(state)});
    return 0;
}

int compiler_command(AppState& state, const Invocation& call) {
    choose_compiler(state, choice_of(call));
    say(state, message_compiler_chosen, {compiler_name(state)});
    return 0;
}

int language_command(AppState& state, const Invocation& call) {
    choose_language(state, choice_of(call));
    say(state, message_language_chosen, {state.language() == 1 ? "en" : "ja"});
    return 0;
}

int show_command(AppState& state, const Invocation&) {
    std::printf("detected list: %d characters detected\n", state.settings[detected_num]);
    print_list(state.text(detected_text));
    std::printf("registered list: %d characters registered\n", state.settings[kanji_num]);
    print_list(state.text(registered_text));
    std::printf("font: %s", font_name(state));
    if (!is_font_value(state.settings[font_kind])) std::printf(" (stored as %d)", state.settings[font_kind]);
    std::printf("\ncompiler: %s", compiler_name(state));
    if (!is_compiler_value(state.settings[compiler])) std::printf(" (stored as %d)", state.settings[compiler]);
    std::printf("\nlanguage: %s\n", state.language() == 1 ? "en" : "ja");
    std::printf("text file: %s\n", state.text_slots[input_path].data());
    std::printf("output file: %s\n", state.text(output_path).empty() ? "Font.inc" : state.text_slots[output_path].data());
    std::printf("settings file: %s\n", state.ini_path.data());
    return 0;
}

}  // namespace sorvane::cli
