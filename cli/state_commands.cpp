#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "app/commands.h"
#include "cli/handlers.h"
#include "cli/encoded_text.h"
#include "cli/encoding.h"
#include "cli/report.h"
#include "cli/terminal.h"
#include "core/files.h"
#include "core/kanji_grid.h"
#include "fontgen/font_table.h"
#include "state/app_state.h"
#include "state/settings_file.h"

namespace sorvane::cli {
namespace {

const char* font_name() { return font_of(app_state.settings[font_kind]).name; }

const char* compiler_name() { return compiler_of(app_state.settings[compiler]).name; }

// A Shift_JIS file, or standard input for "-", read as the window reads its file.
Outcome mark_file_as_is(const char* path, Scanner& scanner, KanjiGrid& found) {
    if (std::strcmp(path, "-") != 0) return mark_shift_jis_file(path, scanner, found);
    std::array<std::uint8_t, 1 << 16> buffer;
    TextReader in(open_input("-"), buffer);
    scanner.mark_characters(in, found);
    if (!in.read_failed()) return {};
    return {message_cannot_read, "-", errno};
}


// Names what the files held that the font cannot have.
void report_left_out(const LeftOut& left_out) {
    if (left_out.count == 0) return;
    complain(left_out.count > 10 ? message_left_out_first_ten : message_left_out, {left_out.count});
    for (long i = 0; i < left_out.count && i < 10; ++i) {
        const Unmapped& u = left_out.first[static_cast<std::size_t>(i)];
        std::fprintf(stderr, "  %s:%ld: U+%04X %s\n", u.file.c_str(), u.line, static_cast<unsigned>(u.code_point),
                     utf8_of(u.code_point).c_str());
    }
}

// Runs a list command and says the two counts after it.
int list_command(Outcome (*command)(AppState&)) {
    command(app_state);
    say(message_counts, {app_state.settings[kanji_num], app_state.settings[detected_num]});
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
void list_missing_glyphs(const Generation& generation) {
    std::array<int, 20> first{};
    missing_glyphs(app_state, first);
    for (int i = 0; i < generation.missing_glyphs && i < static_cast<int>(first.size()); ++i) {
        std::fputs("  ", stderr);
        print_character(stderr, first[static_cast<std::size_t>(i)]);
        std::fputc('\n', stderr);
    }
    if (generation.missing_glyphs > static_cast<int>(first.size()))
        note(message_and_more, {generation.missing_glyphs - static_cast<int>(first.size())});
}

void warn_about_missing_glyphs(const Generation& generation) {
    const char* font_file = app_state.text_slots[font_path].data();
    if (generation.font_lines < grid_cells) {
        complain(message_font_ends_early, {font_file, generation.font_lines, grid_cells});
    }
    if (generation.missing_glyphs == 0) return;
    complain(message_missing_glyphs, {font_file});
    list_missing_glyphs(generation);
}

// Says that the settings file is damaged, and where; a command that would save leaves it.
void complain_damaged(const char* ini_path, int line, bool save) {
    complain_file(message_settings_damaged, ini_path, save ? message_damaged_left : message_damaged_not_shown, {line});
}

// Says what went wrong, in the current language; false for a failure.
bool report(const Outcome& outcome) {
    if (outcome.ok()) return true;
    if (outcome.message == message_said) return false;
    if (outcome.reason != no_message) complain_file(outcome.message, outcome.subject, outcome.reason);
    else if (outcome.error != 0) complain_file(outcome.message, outcome.subject, std::strerror(outcome.error));
    else complain_file(outcome.message, outcome.subject);
    return false;
}

// SOURCE_DATE_EPOCH as seconds; false when it is not a decimal number.
bool source_date_epoch(long long& seconds) {
    const char* text = std::getenv("SOURCE_DATE_EPOCH");
    if (!text) return false;
    if (*text == '\0' || std::strlen(text) > 15 || std::strspn(text, "0123456789") != std::strlen(text)) return false;
    seconds = std::atoll(text);
    return true;
}

}  // namespace

bool check_source_date_epoch() {
    long long seconds = 0;
    return std::getenv("SOURCE_DATE_EPOCH") == nullptr || source_date_epoch(seconds);
}

int with_state(const Invocation& call, bool save, int (*command)(const Invocation&)) {
    errno = 0;
    int damaged_line = 0;
    // A command that saves keeps the settings file locked from its reading to its saving, so
    // that runs in one folder at the same time take turns and none loses another's change.
    FileLock lock;
    const LoadOutcome loaded = load_settings(app_state, &damaged_line, save ? &lock : nullptr);
    if (loaded == LoadOutcome::no_path) {
        complain(message_no_ini_path, {static_cast<int>(ini_path_capacity) - 13});
        return 1;
    }
    if (loaded == LoadOutcome::busy) {
        complain_file(message_folder_in_use, settings_lock_path(app_state).data(), message_locked_for,
                      {settings_wait_ms / 1000});
        return 1;
    }
    if (loaded == LoadOutcome::not_a_file) {
        complain_file(message_cannot_read, app_state.ini_path.data(), message_not_a_file);
        return 1;
    }
    if (loaded == LoadOutcome::lock_not_a_file) {
        complain_file(message_cannot_read, settings_lock_path(app_state).data(), message_not_a_file);
        return 1;
    }
    if (loaded == LoadOutcome::unreadable) {
        if (errno) complain_file(message_cannot_read, app_state.ini_path.data(), std::strerror(errno));
        else complain_file(message_cannot_read, app_state.ini_path.data(), message_read_error);
        return 1;
    }
    // Saving over a damaged file would lose what stands after the damage; a look at it is fine.
    if (loaded == LoadOutcome::damaged) {
        complain_damaged(app_state.ini_path.data(), damaged_line, save);
        if (save) return 1;
    }
    int status = command(call);
    if (!save) return status;
    errno = 0;
    switch (save_settings(app_state, nullptr)) {
    case SaveOutcome::saved: break;
    case SaveOutcome::no_path:
    case SaveOutcome::not_opened:
    case SaveOutcome::write_failed:
        if (errno) complain_file(message_cannot_write, app_state.ini_path.data(), std::strerror(errno));
        else complain_file(message_cannot_write, app_state.ini_path.data(), message_write_error);
        status = 1;
        break;
    }
    return status;
}

int scan_command(const Invocation& call) {
    LeftOut left_out;
    const bool utf8 = is_utf8_name(call.encoding);
    const MarkFile encoded = [&left_out, utf8](const char* path, Scanner& scanner, KanjiGrid& found) {
        return utf8 ? mark_utf8_file(path, found, left_out) : mark_encoded_file(path, scanner, found, left_out);
    };
    const bool scanned = report(scan_files(app_state, call.operands, call.encoding ? encoded : mark_file_as_is));
    if (call.encoding) report_left_out(left_out);
    if (!scanned) return 1;
    if (call.operands.size() == 1) say(message_scanned_file, {call.operands[0], app_state.settings[detected_num]});
    else say(message_scanned_files, {call.operands.size(), app_state.settings[detected_num]});
    return call.add ? list_command(add_detected) : 0;
}

int add_command(const Invocation&) { return list_command(add_detected); }
int remove_command(const Invocation&) { return list_command(remove_detected); }
int sort_command(const Invocation&) { return list_command(sort_registered); }
int clear_command(const Invocation&) { return list_command(clear_registered); }
int clear_detected_command(const Invocation&) { return list_command(clear_detected); }

int generate_command(const Invocation& call) {
    long long seconds = 0;
    BannerTime time = local_time_now();
    if (source_date_epoch(seconds)) {
        const std::time_t moment = static_cast<std::time_t>(seconds);
        const std::tm* t = std::gmtime(&moment);
        if (!t) {
            complain(message_epoch_beyond_calendar, {seconds});
            return 2;
        }
        time = {t->tm_year + 1900, t->tm_mon + 1, t->tm_mday, t->tm_hour, t->tm_min, t->tm_sec};
    }
    const char* path = call.operands.empty() ? offered_output_path(app_state) : call.operands[0];
    const Generation generation = generate(app_state, path, time, {}, {call.max_bytes, call.strict});
    if (generation.too_big) {
        const IncludeSummary& s = generation.include;
        complain(message_too_big, {path, s.index_table_bytes + s.glyph_table_bytes, s.index_table_bytes,
                                   s.glyph_table_bytes, s.count, font_name(), call.max_bytes});
        return 1;
    }
    if (generation.not_whole) {
        const char* font_file = app_state.text_slots[font_path].data();
        // A font that cannot be read has no glyph to count: its error first, then the refusal.
        if (!generation.font.ok()) {
            report(generation.font);
            complain(message_strict_no_font, {path, font_file});
            return 1;
        }
        complain(message_strict_missing, {path, generation.missing_glyphs, font_file});
        list_missing_glyphs(generation);
        return 1;
    }
    const bool font_read = report(generation.font);
    if (!report(generation.outcome)) return 1;

    const int count = generation.include.count;
    say(message_generated, {app_state.text_slots[output_path].data(), count, font_name(), compiler_name(),
                            generation.include.index_table_bytes, generation.include.glyph_table_bytes});
    if (font_read) warn_about_missing_glyphs(generation);
    return font_read ? 0 : 1;
}

int font_command(const Invocation& call) {
    choose_font(app_state, choice_of(call));
    say(message_font_chosen, {font_name()});
    return 0;
}

int compiler_command(const Invocation& call) {
    choose_compiler(app_state, choice_of(call));
    say(message_compiler_chosen, {compiler_name()});
    return 0;
}

int language_command(const Invocation& call) {
    choose_language(app_state, choice_of(call));
    say(message_language_chosen, {app_state.language() == 1 ? "en" : "ja"});
    return 0;
}

int show_command(const Invocation&) {
    const AppState& state = app_state;
    std::printf("detected list: %d characters detected\n", state.settings[detected_num]);
    print_list(state.text(detected_text));
    std::printf("registered list: %d characters registered\n", state.settings[kanji_num]);
    print_list(state.text(registered_text));
    std::printf("font: %s", font_name());
    if (!is_font_value(state.settings[font_kind])) std::printf(" (stored as %d)", state.settings[font_kind]);
    std::printf("\ncompiler: %s", compiler_name());
    if (!is_compiler_value(state.settings[compiler])) std::printf(" (stored as %d)", state.settings[compiler]);
    std::printf("\nlanguage: %s\n", state.language() == 1 ? "en" : "ja");
    std::printf("text file: %s\n", state.text_slots[input_path].data());
    std::printf("output file: %s\n", state.text(output_path).empty() ? "Font.inc" : state.text_slots[output_path].data());
    std::printf("settings file: %s\n", state.ini_path.data());
    return 0;
}

}  // namespace sorvane::cli
