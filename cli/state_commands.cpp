#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "cli/handlers.h"
#include "cli/encoded_text.h"
#include "cli/encoding.h"
#include "cli/report.h"
#include "cli/terminal.h"
#include "core/kanji_grid.h"
#include "core/scanner.h"
#include "state/app_state.h"
#include "state/settings_file.h"
#include "ui/commands.h"
#include "ui/control_table.h"

namespace sorvane::cli {
namespace {

// The file named on the command line for the save dialog of generate; null keeps the path
// the dialog would offer.
const char* chosen_file = nullptr;
// What an open error concerns: the file being scanned, or the font source file.
const char* open_error_subject = "";
bool failed = false;

bool choose_file(int, char* path, std::size_t capacity) {
    if (chosen_file) {
        const std::size_t n = std::strlen(chosen_file);
        if (n >= capacity) return false;
        std::memcpy(path, chosen_file, n + 1);
    }
    return true;
}

void show_open_error(int message) {
    const int error = errno;
    std::string subject = message == message_cannot_open_input ? open_error_subject : text_slots[output_path].data();
    if (error != 0) subject += std::string(": ") + std::strerror(error);
    complain_message(message, subject);
    failed = true;
}

// The command line's face has no boxes, no enabling and no painting; its texts live in
// their slots.
void lend_face() {
    face = Face{};
    face.choose_file = choose_file;
    face.show_open_error = show_open_error;
    failed = false;
    errno = 0;
}

// Presses a button of the window.
int press(int row) {
    lend_face();
    dispatch(static_cast<std::uint32_t>(row));
    return failed ? 1 : 0;
}

// A Shift_JIS file, or standard input for "-", read as the window reads its file.
bool mark_file_as_is(const char* path, KanjiGrid& found) {
    open_error_subject = path;
    if (std::strcmp(path, "-") != 0) return mark_shift_jis_file(path, found);
    std::array<std::uint8_t, 1 << 16> buffer;
    TextReader in(open_input("-"), buffer);
    mark_characters(in, found);
    if (in.read_failed()) complain("cannot read the standard input");
    return !in.read_failed();
}

// A code point in UTF-8, the encoding of the terminals the warning is written for.
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

// Names what the files held that the font cannot have.
void report_left_out() {
    if (left_out.count == 0) return;
    complain("warning: %ld characters have no two-byte Shift_JIS form and are left out%s", left_out.count,
             left_out.count > 10 ? "; the first ten:" : ":");
    for (long i = 0; i < left_out.count && i < 10; ++i) {
        const Unmapped& u = left_out.first[static_cast<std::size_t>(i)];
        std::fprintf(stderr, "  %s:%ld: U+%04X %s\n", u.file.c_str(), u.line, static_cast<unsigned>(u.code_point),
                     utf8_of(u.code_point).c_str());
    }
}

const char* font_name() { return font_kind_of(settings[font_kind]).name; }

const char* compiler_name() { return settings[compiler] == 1 ? "CC-RH" : "XC32"; }

// Presses a list button and says the two counts after it.
int press_and_count(int row) {
    const int status = press(row);
    std::printf("registered: %d, detected: %d\n", settings[kanji_num], settings[detected_num]);
    return status;
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

// The character of a cell and its code, as the terminal shows them.
void print_character(std::FILE* stream, int cell) {
    const SjisBytes b = bytes_of(cell);
    const char text[2] = {static_cast<char>(b.lead), static_cast<char>(b.trail)};
    print_sjis(stream, std::string_view(text, 2));
    std::fprintf(stream, " (%#x)", code_of(cell));
}

// Names the registered characters whose glyph is empty in the font source just read. The
// ideographic space 0x8140 has an empty glyph by nature and is not named.
void warn_about_missing_glyphs() {
    const FontKind& kind = font_kind_of(settings[font_kind]);
    if (last_generation.font.lines < grid_cells) {
        complain("warning: %s ends after line %d of %d; the positions after it have no glyph", text_slots[font_path].data(),
                 last_generation.font.lines, grid_cells);
    }
    int missing = 0;
    for (int cell = 1; cell < grid_cells; ++cell) {
        if (registered_set[static_cast<std::size_t>(cell)] == 0) continue;
        const GlyphRecord& glyph = glyph_store[static_cast<std::size_t>(cell)];
        bool empty = true;
        for (int r = 0; r < kind.rows; ++r) empty = empty && glyph[static_cast<std::size_t>(r)] == 0;
        if (!empty) continue;
        if (missing == 0) complain("warning: %s has no glyph for these registered characters:", text_slots[font_path].data());
        if (++missing <= 20) {
            std::fputs("  ", stderr);
            print_character(stderr, cell);
            std::fputc('\n', stderr);
        }
    }
    if (missing > 20) std::fprintf(stderr, "  and %d more\n", missing - 20);
}

BannerTime fixed_time;
BannerTime source_date() { return fixed_time; }

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
    const LoadOutcome loaded = load_settings();
    if (loaded == LoadOutcome::no_path) {
        complain("cannot form the path of Sorvane.ini in the working directory (is it longer than %d bytes?)",
                 static_cast<int>(ini_path_capacity) - 13);
        return 1;
    }
    if (loaded == LoadOutcome::unreadable) {
        complain("cannot read %s: %s", ini_path.data(), errno ? std::strerror(errno) : "read error");
        return 1;
    }
    int status = command(call);
    if (!save) return status;
    errno = 0;
    switch (save_settings(nullptr, nullptr)) {
    case SaveOutcome::saved: break;
    case SaveOutcome::no_path:
    case SaveOutcome::not_opened:
    case SaveOutcome::write_failed:
        complain("cannot write %s%s%s; it is unchanged", ini_path.data(), errno ? ": " : "", errno ? std::strerror(errno) : "");
        status = 1;
        break;
    }
    return status;
}

int scan_command(const Invocation& call) {
    lend_face();
    left_out = LeftOut{};
    const MarkFile mark = call.encoding ? mark_encoded_file : mark_file_as_is;
    const bool scanned = scan_files(call.operands.data(), static_cast<int>(call.operands.size()), mark);
    if (call.encoding) report_left_out();
    if (!scanned) return 1;
    if (call.operands.size() == 1) std::printf("%s", call.operands[0]);
    else std::printf("%zu files", call.operands.size());
    std::printf(": %d characters not yet registered\n", settings[detected_num]);
    return 0;
}

int add_command(const Invocation&) { return press_and_count(add_button); }
int remove_command(const Invocation&) { return press_and_count(remove_button); }
int sort_command(const Invocation&) { return press_and_count(sort_button); }
int clear_command(const Invocation&) { return press_and_count(clear_all_button); }
int clear_detected_command(const Invocation&) { return press_and_count(clear_detected_button); }

int generate_command(const Invocation& call) {
    long long seconds = 0;
    banner_clock = local_time_now;
    if (source_date_epoch(seconds)) {
        const std::time_t moment = static_cast<std::time_t>(seconds);
        const std::tm* t = std::gmtime(&moment);
        if (!t) {
            complain("SOURCE_DATE_EPOCH is beyond the calendar: %lld", seconds);
            return 2;
        }
        fixed_time = {t->tm_year + 1900, t->tm_mon + 1, t->tm_mday, t->tm_hour, t->tm_min, t->tm_sec};
        banner_clock = source_date;
    }
    chosen_file = call.operands.empty() ? nullptr : call.operands[0];
    open_error_subject = text_slots[font_path].data();
    last_generation = Generation{};
    const int status = press(generate_button);
    banner_clock = local_time_now;
    if (!last_generation.written) return status;

    const FontKind& kind = font_kind_of(settings[font_kind]);
    const int count = settings[kanji_num];
    std::printf("%s: %d characters of %s for %s; index table %d bytes, glyph table %d bytes\n",
                text_slots[output_path].data(), count, kind.name, compiler_name(), 2 * count, count * kind.glyph_bytes);
    if (last_generation.font.opened) warn_about_missing_glyphs();
    return status;
}

int font_command(const Invocation& call) {
    const int status = press(k14_radio + choice_of(call));
    std::printf("font: %s\n", font_name());
    return status;
}

int compiler_command(const Invocation& call) {
    const int status = press(xc32_radio + choice_of(call));
    std::printf("compiler: %s\n", compiler_name());
    return status;
}

int language_command(const Invocation& call) {
    choose_language(choice_of(call));
    std::printf("language: %s\n", current_language() == 1 ? "en" : "ja");
    return 0;
}

int show_command(const Invocation&) {
    std::printf("detected list: %d characters detected\n", settings[detected_num]);
    print_list(text_of(detected_text));
    std::printf("registered list: %d characters registered\n", settings[kanji_num]);
    print_list(text_of(registered_text));
    std::printf("font: %s", font_name());
    if (settings[font_kind] < 0 || settings[font_kind] > 2) std::printf(" (stored as %d)", settings[font_kind]);
    std::printf("\ncompiler: %s", compiler_name());
    if (settings[compiler] < 0 || settings[compiler] > 1) std::printf(" (stored as %d)", settings[compiler]);
    std::printf("\nlanguage: %s\n", current_language() == 1 ? "en" : "ja");
    std::printf("text file: %s\n", text_slots[input_path].data());
    std::printf("output file: %s\n", text_of(output_path).empty() ? "Font.inc" : text_slots[output_path].data());
    std::printf("settings file: %s\n", ini_path.data());
    return 0;
}

}  // namespace sorvane::cli
