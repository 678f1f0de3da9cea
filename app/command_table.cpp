#include "app/command_table.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "app/encoded_text.h"
#include "app/font_commands.h"
#include "app/plan.h"
#include "core/utf8_text.h"
#include "fontgen/font_image.h"
#include "fontgen/font_table.h"

namespace sorvane {
namespace {

const char* font_name(const AppState& state) { return state.font.kind().name; }

const char* compiler_name(const AppState& state) { return state.compiler.kind().name; }

// Names what the files held that the font cannot have.
void report_left_out(const AppState& state, const Face& face, const LeftOut& left_out) {
    if (left_out.count == 0) return;
    face.complain(state, left_out.count > 10 ? message_left_out_first_ten : message_left_out, {left_out.count});
    for (long i = 0; i < left_out.count && i < 10; ++i) {
        const Unmapped& u = left_out.first[static_cast<std::size_t>(i)];
        char code[16];
        std::snprintf(code, sizeof code, "%04X", static_cast<unsigned>(u.code_point));
        face.note(state, message_left_out_line, {u.file, u.line, code, utf8_of(u.code_point)});
    }
    if (left_out.half_width > 0) face.note(state, message_left_out_half_width, {left_out.half_width});
}

// A list command under the face's lists, and the two counts after it.
Outcome list_command(AppState& state, const Face& face, Outcome (*command)(AppState&)) {
    face.pull();
    face.show(command(state).lists);
    face.say(state, message_counts, {state.counters.registered, state.counters.detected});
    return {};
}

// A list text, a line of it at a time, indented.
void say_list(const AppState& state, const Face& face, std::string_view text) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        face.say(state, message_list_line, {Filler::shift_jis_text(line)});
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
}

// Names the registered characters without a glyph, the first twenty of them.
void list_missing_glyphs(const AppState& state, const Face& face, const Generation& generation) {
    std::array<int, 20> first{};
    missing_glyphs(state, first);
    for (int i = 0; i < generation.missing_glyphs && i < static_cast<int>(first.size()); ++i)
        note_character(state, face, first[static_cast<std::size_t>(i)]);
    if (generation.missing_glyphs > static_cast<int>(first.size()))
        face.note(state, message_and_more, {generation.missing_glyphs - static_cast<int>(first.size())});
}

// Names the half-width characters asked for without a glyph, the first ten of them.
void list_missing_half_glyphs(const AppState& state, const Face& face, const Generation& generation) {
    const auto& first = generation.first_missing_half;
    const int named = std::min(generation.missing_half, static_cast<int>(first.size()));
    for (int i = 0; i < named; ++i) {
        const int code = first[static_cast<std::size_t>(i)];
        const char byte[1] = {static_cast<char>(code)};
        char hex[8];
        std::snprintf(hex, sizeof hex, "%#x", static_cast<unsigned>(code));
        face.note(state, message_character_line, {Filler::shift_jis_text(std::string_view(byte, 1)), hex});
    }
    if (generation.missing_half > named) face.note(state, message_and_more, {generation.missing_half - named});
}

void warn_about_missing_glyphs(const AppState& state, const Face& face, const Generation& generation) {
    const char* font_file = state.paths.font.c_str();
    if (generation.font_lines < grid_cells) face.complain(state, message_font_ends_early, {font_file, generation.font_lines, grid_cells});
    if (generation.missing_half > 0) {
        face.complain(state, message_missing_half_glyphs, {half_source_path(state)});
        list_missing_half_glyphs(state, face, generation);
    }
    if (generation.missing_glyphs == 0) return;
    face.complain(state, message_missing_glyphs, {font_file});
    list_missing_glyphs(state, face, generation);
}

// A Shift_JIS file, or standard input for "-" where the face reads it, as the window reads
// its file.
Outcome mark_file_as_is(const char* path, Scanner& scanner, KanjiGrid& found) {
    if (std::strcmp(path, "-") != 0) return mark_shift_jis_file(path, scanner, found);
    std::array<std::uint8_t, 1 << 16> buffer;
    TextReader in(open_input("-"), buffer);
    scanner.mark_characters(in, found);
    if (!in.read_failed()) return {};
    return {message_cannot_read, "-", in.read_error()};
}

// "text file": the texts scanned, in their encoding; with add, registered at once.
Outcome scan_command(AppState& state, const Request& request) {
    const Face& face = request.face;
    LeftOut left_out;
    std::unique_ptr<Decoder> decoder;
    if (request.encoding && !is_utf8_name(request.encoding)) decoder = std::make_unique<Decoder>(request.encoding);
    const MarkFile encoded = [&left_out, &decoder](const char* path, Scanner& scanner, KanjiGrid& found) {
        return decoder ? mark_encoded_file(path, *decoder, scanner, found, left_out) : mark_utf8_file(path, found, left_out);
    };
    const MarkFile as_is = request.standard_input ? MarkFile(mark_file_as_is) : MarkFile(mark_shift_jis_file);
    const Outcome outcome = scan_files(state, request.files, request.encoding ? encoded : as_is, face);
    // A failure first, then what the files held that the font cannot have.
    const bool scanned = face.report(state, outcome);
    if (request.encoding) report_left_out(state, face, left_out);
    if (!scanned) return said();
    if (request.files.size() == 1) face.say(state, message_scanned_file, {request.files[0], state.counters.detected});
    else face.say(state, message_scanned_files, {request.files.size(), state.counters.detected});
    return request.add ? list_command(state, face, add_detected) : outcome;
}

Outcome add_command(AppState& state, const Request& request) { return list_command(state, request.face, add_detected); }
Outcome remove_command(AppState& state, const Request& request) { return list_command(state, request.face, remove_detected); }
Outcome sort_command(AppState& state, const Request& request) { return list_command(state, request.face, sort_registered); }
Outcome clear_command(AppState& state, const Request& request) { return list_command(state, request.face, clear_registered); }
Outcome clear_detected_command(AppState& state, const Request& request) {
    return list_command(state, request.face, clear_detected);
}

// Says which output outgrew --max-bytes, and what each of its tables takes.
void report_too_big(const AppState& state, const Face& face, const Generation& generation, const char* path,
                    const GenerationGuards& guards) {
    const IncludeSummary& s = generation.image_over ? generation.image_tables : generation.include;
    if (s.compressed || s.half_compressed) {
        // Each set in all, then the tables of the compressed ones.
        const long long full = static_cast<long long>(s.glyph_table_bytes) + s.model_table_bytes + s.starts_table_bytes;
        const long long halves = static_cast<long long>(s.half_table_bytes) + s.half_model_bytes + s.half_starts_bytes;
        if (generation.image_over) {
            const long long bytes = generation.image_size;
            face.complain(state, message_image_too_big_compressed, {generation.image, bytes, bytes - s.total_bytes(),
                                                                    s.index_table_bytes, s.alt_table_bytes, full, halves,
                                                                    guards.max_bytes});
        } else {
            face.complain(state, message_too_big_compressed, {path, s.total_bytes(), s.index_table_bytes, s.alt_table_bytes,
                                                              full, halves, s.count, guards.max_bytes});
        }
        face.note(state, message_compressed_tables,
                  {generation.image_over ? generation.image.c_str() : path, s.model_table_bytes, s.starts_table_bytes,
                   s.compressed ? s.glyph_table_bytes : 0, s.half_model_bytes, s.half_starts_bytes,
                   s.half_compressed ? s.half_table_bytes : 0});
        return;
    }
    const int ascii = generation.layout.ascii() ? ascii_count * state.font.kind().half_glyph_bytes() : 0;
    const int kana = s.half_table_bytes - ascii;
    if (generation.image_over) {
        // The image's other key is a sorted index of (code, place) pairs: twice the include file's.
        const long long bytes = generation.image_size;
        face.complain(state, message_image_too_big, {generation.image, bytes, bytes - s.total_bytes(), s.index_table_bytes,
                                                     s.glyph_table_bytes, s.alt_table_bytes, ascii, kana, guards.max_bytes});
    } else {
        face.complain(state, message_too_big, {path, s.total_bytes(), s.index_table_bytes, s.glyph_table_bytes,
                                               s.alt_table_bytes, ascii, kana, s.count, guards.max_bytes});
    }
}

// Says why the half-width font source file refused the generation.
void report_half_refused(const AppState& state, const Face& face, const Generation& generation, const char* path) {
    const std::string half_file = half_source_path(state);
    const FontKind& font = state.font.kind();
    const SourceFault& fault = generation.half_fault;
    if (generation.half_error != 0) {
        face.report(state, {message_cannot_open_input, half_file.c_str(), generation.half_error});
        face.complain(state, message_half_unreadable, {path, half_file});
    } else if (fault.line != 0 && fault.too_wide) {
        face.complain(state, message_half_too_wide, {path, half_file, fault.line, font.half_dots, font.name});
    } else if (fault.line != 0) {
        face.complain(state, message_half_wrong_size, {path, half_file, fault.line, fault.values, font.name, font.dots});
    } else {
        face.complain(state, message_half_blank, {path, half_file});
    }
}

// A refusal of the guards, said; the font's open error comes first, for it has no glyph to count.
Outcome refused_by_guards(const AppState& state, const Face& face, const Generation& generation, const char* path,
                          const GenerationGuards& guards) {
    const char* font_file = state.paths.font.c_str();
    if (generation.half_refused) {
        report_half_refused(state, face, generation, path);
    } else if (generation.too_big) {
        report_too_big(state, face, generation, path, guards);
    } else if (!generation.font.ok()) {
        face.report(state, generation.font);
        face.complain(state, message_strict_no_font, {path, font_file});
    } else if (generation.missing_glyphs > 0) {
        face.complain(state, message_strict_missing, {path, generation.missing_glyphs, font_file});
        list_missing_glyphs(state, face, generation);
    } else {
        face.complain(state, message_strict_half_missing, {path, generation.missing_half, half_source_path(state)});
        list_missing_half_glyphs(state, face, generation);
    }
    return said();
}

// What a file with a key or half-width glyphs holds besides its two tables, and what a
// Unicode key left out.
void report_layout(const AppState& state, const Face& face, const IncludeSummary& s, const IncludeLayout& layout) {
    if (!layout.says_key) return;
    const char* path = state.paths.output.c_str();
    face.say(state, message_generated_layout,
             {path, s.alt_table_bytes, s.half_table_bytes, s.half_glyphs, key_words[static_cast<std::size_t>(layout.key)]});
    if (s.without_unicode + s.same_unicode > 0)
        face.complain(state, message_unicode_left_out, {path, s.without_unicode, s.same_unicode});
}

// "Generating font data" into the file given, else the one the state keeps.
Outcome generate_command(AppState& state, const Request& request) {
    const Face& face = request.face;
    BannerTime time = face.now();
    if (banner_time(time) == BannerClock::beyond_calendar) {
        face.complain(state, message_epoch_beyond_calendar, {std::getenv("SOURCE_DATE_EPOCH")});
        Outcome usage = said();
        usage.usage = true;
        return usage;
    }
    const char* path = request.files.empty() ? offered_output_path(state) : request.files[0];
    const auto choices = std::make_unique<GenerationChoices>(state.generation);
    if (request.half_width) choices->half_width = static_cast<std::int32_t>(*request.half_width);
    if (request.key) choices->key = static_cast<std::int32_t>(*request.key);
    if (request.image || request.no_image) choices->image.store(request.image ? request.image : "");
    if (request.name || request.no_name) choices->name.store(request.name ? request.name : "");
    if (request.compress) choices->compress = *request.compress ? 1 : 0;
    // A name given is checked as a usage error; one kept (a settings file edited by hand)
    // fails the generation before it writes.
    const std::string_view name = request.name ? std::string_view(request.name) : choices->name.view();
    if (const NameFault fault = request.name || !name.empty() ? font_name_fault(name) : NameFault::none; fault != NameFault::none) {
        face.complain(state, fault == NameFault::reserved ? message_name_reserved : message_name_not_identifier,
                      {name, static_cast<int>(font_name_max)});
        Outcome refused = said();
        refused.usage = request.name != nullptr;
        return refused;
    }
    const Generation generation = generate(state, path, time, face, request.guards, choices.get());
    if (generation.too_big || generation.not_whole || generation.half_refused)
        return refused_by_guards(state, face, generation, path, request.guards);
    // The font's open error while the lists are held, as it is found during the work.
    const bool font_read = face.report(state, generation.font);
    if (generation.other_generation)
        face.complain(state, message_other_generation, {state.paths.output.c_str(), generation.image});
    if (!generation.outcome.ok()) return generation.outcome;
    face.say(state, message_generated, {state.paths.output.c_str(), generation.include.count, font_name(state),
                                        compiler_name(state), generation.include.index_table_bytes,
                                        generation.include.glyph_table_bytes});
    report_layout(state, face, generation.include, generation.layout);
    const IncludeSummary& s = generation.include;
    if (s.compressed || s.half_compressed)
        face.say(state, message_compressed_tables, {state.paths.output.c_str(), s.model_table_bytes, s.starts_table_bytes,
                                                    s.compressed ? s.glyph_table_bytes : 0, s.half_model_bytes,
                                                    s.half_starts_bytes, s.half_compressed ? s.half_table_bytes : 0});
    // A set asked compressed that would not pay is written raw, as its define says.
    if (generation.layout.compress && !generation.include.compressed)
        face.note(state, message_compress_not_paid, {state.paths.output.c_str(), "FONT_COMPRESSED"});
    if (generation.layout.compress && generation.layout.half != HalfWidth::none && !generation.include.half_compressed)
        face.note(state, message_compress_not_paid, {state.paths.output.c_str(), "FONT_HALF_COMPRESSED"});
    if (!generation.image.empty()) face.say(state, message_image_written, {generation.image, generation.image_bytes});
    if (font_read) warn_about_missing_glyphs(state, face, generation);
    return font_read ? Outcome{} : said();
}

// The words of a message between tabs, in the state's language.
std::vector<std::string> words_between_tabs(const AppState& state, int message) {
    std::vector<std::string> words;
    const std::string_view text = message_text(message, state.language());
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find('\t', start);
        words.emplace_back(text.substr(start, end - start));
        if (end == std::string_view::npos) return words;
        start = end + 1;
    }
}

// "plan": a table of the bytes each way of generating writes, one line a way, its columns
// padded to their widest cell (a Shift_JIS text is as wide as its bytes); the last column,
// whether it fits, only with --max-bytes.
Outcome plan_command(AppState& state, const Request& request) {
    const Face& face = request.face;
    const Plan plan = plan_generation(state, face);
    if (!face.report(state, plan.font)) return said();
    if (!plan.half_read) face.complain(state, message_plan_no_half, {half_source_path(state)});
    const long long budget = request.guards.max_bytes;
    const std::vector<std::string> words = words_between_tabs(state, message_plan_words);
    std::vector<std::vector<std::string>> table{words_between_tabs(state, message_plan_columns)};
    if (budget < 0) table[0].pop_back();
    constexpr const char* half_words[] = {"none", "ascii", "kana", "all"};
    int fitting = 0;
    for (const PlanWay& way : plan.ways) {
        std::vector<std::string> row{way.kept ? "*" : "", words[way.image ? 1 : 0], words[way.compressed ? 3 : 2],
                                     half_words[static_cast<std::size_t>(way.layout.half)],
                                     way.layout.says_key ? key_words[static_cast<std::size_t>(way.layout.key)] : "none",
                                     std::to_string(way.bytes)};
        if (budget >= 0) row.push_back(words[way.bytes <= budget ? 4 : 5]);
        fitting += way.bytes <= budget ? 1 : 0;
        table.push_back(std::move(row));
    }
    std::vector<std::size_t> widths(table[0].size());
    for (const auto& row : table)
        for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
    face.say(state, message_plan_heading, {plan.count, font_name(state)});
    for (const auto& row : table) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            // The bytes to the right, every other column to the left.
            const std::string pad(widths[c] - row[c].size(), ' ');
            line += c == 5 ? pad + row[c] : row[c] + (c + 1 < row.size() ? pad : "");
            if (c + 1 < row.size()) line += "  ";
        }
        face.say(state, message_list_line, {Filler::shift_jis_text(line)});
    }
    if (budget >= 0) face.say(state, message_plan_fitting, {fitting, plan.ways.size(), budget});
    return {};
}

Outcome font_command(AppState& state, const Request& request) {
    choose_font(state, request.choice);
    request.face.say(state, message_font_chosen, {font_name(state)});
    return {};
}

Outcome compiler_command(AppState& state, const Request& request) {
    choose_compiler(state, request.choice);
    request.face.say(state, message_compiler_chosen, {compiler_name(state)});
    return {};
}

Outcome output_sequence_command(AppState& state, const Request& request) {
    return choose_output_sequence(state, request.choice);
}

// The language chosen, or the other one for a toggle.
Outcome language_command(AppState& state, const Request& request) {
    choose_language(state, request.choice >= 0 ? request.choice : state.language() == 0 ? 1 : 0);
    request.face.say(state, message_language_chosen, {state.language() == 1 ? "en" : "ja"});
    return {};
}

Outcome show_command(AppState& state, const Request& request) {
    const Face& face = request.face;
    face.say(state, message_listed_detected, {state.counters.detected});
    say_list(state, face, state.lists.detected.view());
    face.say(state, message_listed_registered, {state.counters.registered});
    say_list(state, face, state.lists.registered.view());
    // A stored choice that names no row of its table is shown with the row it stands for.
    if (state.font.named()) face.say(state, message_listed_font, {font_name(state)});
    else face.say(state, message_listed_font_stored_as, {font_name(state), state.font.stored});
    if (state.compiler.named()) face.say(state, message_listed_compiler, {compiler_name(state)});
    else face.say(state, message_listed_compiler_stored_as, {compiler_name(state), state.compiler.stored});
    face.say(state, message_listed_language, {state.language() == 1 ? "en" : "ja"});
    face.say(state, message_listed_text_file, {state.paths.input.c_str()});
    face.say(state, message_listed_output_file,
             {state.paths.output.empty() ? "Font.inc" : state.paths.output.c_str()});
    const IncludeLayout layout = state.generation.layout();
    constexpr const char* half_words[] = {"none", "ascii", "kana", "all"};
    face.say(state, message_listed_half_width, {half_words[static_cast<std::size_t>(layout.half)]});
    face.say(state, message_listed_key, {!layout.says_key ? "none" : key_words[static_cast<std::size_t>(layout.key)]});
    face.say(state, message_listed_image, {state.generation.image.c_str()});
    face.say(state, message_listed_name, {state.generation.name.c_str()});
    face.say(state, message_listed_compress, {layout.compress ? "yes" : "no"});
    face.say(state, message_listed_settings_file, {state.ini_path.data()});
    return {};
}

// The words of a table's rows, then a null.
template <const auto& table>
constexpr auto words_of() {
    std::array<const char*, table.size() + 1> words{};
    for (std::size_t i = 0; i < table.size(); ++i) words[i] = table[i].word;
    return words;
}

constexpr auto font_choices = words_of<font_table>();
constexpr auto compiler_choices = words_of<compiler_table>();
constexpr const char* language_choices[] = {"ja", "en", nullptr};

constexpr FixedText init_help = FixedText{}
                                     .add("copy the installed font source files (")
                                     .add(font_source_names(", ", ", ").view())
                                     .add(") and their half-width ones into DIR, else the working directory; a file "
                                          "already there is left as it is");
constexpr FixedText import_font_help =
    FixedText{}
        .add("make a font source file (")
        .add(font_source_names(", ", " or ").view())
        .add(" by the font's size) from a BDF, PCF (also .pcf.gz), TrueType or OpenType font of JIS X 0208, JIS X 0201 "
             "or Unicode; --size is needed for outline fonts; the font's half-width glyphs, or those of --half FONT, go "
             "to the half-width font source file beside it (Sorvane.H14 beside Sorvane.K14)");
constexpr FixedText size_words = font_sizes("|", "|");

// A small whole number of decimal digits only; -1 for anything else.
int whole_number(const char* text) {
    if (!text || *text == '\0' || std::strlen(text) > 6 || std::strspn(text, "0123456789") != std::strlen(text)) return -1;
    return std::atoi(text);
}

// A number of bytes, of decimal digits only; -1 for anything else.
long long byte_count(const char* text) {
    if (!text || *text == '\0' || std::strlen(text) > 15 || std::strspn(text, "0123456789") != std::strlen(text)) return -1;
    return std::atoll(text);
}

constexpr Completion any_file = Completion::file;

constexpr OptionRow options[] = {
    // word, value, values, expects, group, help, completion, its files or words, what it sets
    {"-o", "FILE", nullptr, nullptr, takes_output, "the file to write", any_file, nullptr,
     [](Options& o, const char* v, int) { return (o.output = v), true; }},
    {"--size", nullptr, size_words.c_str(), nullptr, takes_size, "the font's size in dots (needed for outline fonts)",
     Completion::nothing, nullptr, [](Options& o, const char* v, int) { return (o.size = std::atoi(v)), true; }},
    {"--face", "N", nullptr, "the number of a face, from 0", takes_size, "the face of a font collection",
     Completion::nothing, nullptr, [](Options& o, const char* v, int) { return (o.face_index = whole_number(v)) >= 0; }},
    {"--bit-order", nullptr, "lsb-left|msb-left", nullptr, takes_bit_order, "which bit of a row value is its left dot",
     Completion::nothing, nullptr,
     [](Options& o, const char*, int choice) { return (o.order = choice == 1 ? BitOrder::msb_left : BitOrder::lsb_left), true; }},
    {"--half", "FONT", nullptr, nullptr, takes_half, "the half-width glyphs from this font", any_file, nullptr,
     [](Options& o, const char* v, int) { return (o.half_font = v), true; }},
    {"--text", "TEXT", nullptr, nullptr, takes_text, "a text file to draw in a line", any_file, nullptr,
     [](Options& o, const char* v, int) { return (o.text = v), true; }},
    {"--encoding", "NAME", nullptr, nullptr, takes_encoding, "the encoding of the texts (Shift_JIS unless given)",
     Completion::words, "utf-8|shift_jis|cp932|euc-jp|iso-2022-jp",
     [](Options& o, const char* v, int) { return (o.encoding = v), true; }},
    {"--add", nullptr, nullptr, nullptr, takes_add, "register the characters found at once", Completion::nothing, nullptr,
     [](Options& o, const char*, int) { return (o.add = true); }},
    {"--max-bytes", "N", nullptr, "a number of bytes", takes_budget,
     "the most flash the tables (or the image) may take: generate fails past it, plan marks the ways that fit",
     Completion::nothing, nullptr,
     [](Options& o, const char* v, int) { return (o.guards.max_bytes = byte_count(v)) >= 0; }},
    {"--strict", nullptr, nullptr, nullptr, takes_guards, "fail when a character asked for has no glyph",
     Completion::nothing, nullptr, [](Options& o, const char*, int) { return (o.guards.strict = true); }},
    {"--half-width", nullptr, "none|ascii|kana|all", nullptr, takes_layout,
     "the half-width glyphs to add; kept for the next generations", Completion::nothing, nullptr,
     [](Options& o, const char*, int choice) { return (o.half_width = static_cast<HalfWidth>(choice)), true; }},
    {"--key", nullptr, "none|sjis|unicode", nullptr, takes_layout,
     "the key of the characters besides their table; kept for the next generations", Completion::nothing, nullptr,
     [](Options& o, const char*, int choice) { return (o.key = static_cast<KeyChoice>(choice)), true; }},
    {"--image", "IMAGE", nullptr, "a file name of 1 to 31999 bytes", takes_image,
     "write the font's image as well; kept for the next generations", any_file, nullptr,
     [](Options& o, const char* v, int) { return v[0] != '\0' && std::strlen(v) < 32000 && ((o.image = v), (o.no_image = false), true); }},
    {"--no-image", nullptr, nullptr, nullptr, takes_image, "write no image any more", Completion::nothing, nullptr,
     [](Options& o, const char*, int) { return (o.image = nullptr), (o.no_image = true); }},
    {"--name", "NAME", nullptr, nullptr, takes_name,
     "write a font of this C identifier, a translation unit of its own that defines const sorvane_font NAME; kept for "
     "the next generations",
     Completion::nothing, nullptr, [](Options& o, const char* v, int) { return (o.name = v), (o.no_name = false), true; }},
    {"--no-name", nullptr, nullptr, nullptr, takes_name, "write the include file without a name again",
     Completion::nothing, nullptr, [](Options& o, const char*, int) { return (o.name = nullptr), (o.no_name = true); }},
    {"--compress", nullptr, nullptr, nullptr, takes_compress,
     "compress each glyph on its own, each set of glyphs where it pays; kept for the next generations",
     Completion::nothing, nullptr, [](Options& o, const char*, int) { return (o.compress = true), true; }},
    {"--no-compress", nullptr, nullptr, nullptr, takes_compress, "write the glyphs raw again", Completion::nothing, nullptr,
     [](Options& o, const char*, int) { return (o.compress = false), true; }},
};

constexpr int no_row = -1;
constexpr Dialog open_dialog = Dialog::open, save_dialog = Dialog::save;
constexpr StateUse keeps = StateUse::none, looks = StateUse::load, saves = StateUse::load_and_save;

constexpr CommandRow commands[] = {
    // word, operands, help, operands from and to, options, choices, window row, dialog, settings, handler
    {"init", "[DIR]", init_help.c_str(), 0, 1, 0, nullptr, no_row, Dialog::none, keeps, init_command, Completion::folder},
    {"scan", "FILE...",
     "scan texts (Shift_JIS unless NAME says otherwise; - is standard input): their characters not yet "
     "registered become the detected list; --add adds them to the registered list at once, as one step",
     1, 100000, takes_encoding | takes_add, nullptr, text_file_button, open_dialog, saves, scan_command, any_file},
    {"add", "", "add the detected list to the registered list (\"Add the above\")", 0, 0, 0, nullptr, add_button,
     Dialog::none, saves, add_command},
    {"remove", "", "remove the detected list from the registered list (\"Remove the above\")", 0, 0, 0, nullptr,
     remove_button, Dialog::none, saves, remove_command},
    {"sort", "", "sort the registered list (\"Sort characters\")", 0, 0, 0, nullptr, sort_button, Dialog::none, saves,
     sort_command},
    {"clear", "", "clear the registered list (\"Clear all\")", 0, 0, 0, nullptr, clear_all_button, Dialog::none, saves,
     clear_command},
    {"clear-detected", "", "clear the detected list (\"Clear\")", 0, 0, 0, nullptr, clear_detected_button, Dialog::none,
     saves, clear_detected_command},
    {"generate", "[FILE]",
     "write the include file: FILE, else the output file Sorvane.ini keeps, else Font.inc; it fails, and the last file "
     "stays as it was, when its tables would take more than N bytes of flash, or, with --strict, when a "
     "registered character or a half-width one asked for has no glyph in the font; --half-width adds the glyphs of "
     "printable ASCII, of the half-width katakana or of both, from the half-width font source file; --key unicode "
     "keys the characters by code point (sjis: by Shift_JIS code); --image writes the same font as a binary image "
     "for external flash too; --name NAME makes the file a translation unit of its own that defines the font "
     "const sorvane_font NAME (a C identifier); --compress compresses each glyph on its own (each set of glyphs only where "
     "that takes fewer bytes, FONT_COMPRESSED saying which); these choices are kept with the output file, a plain generate (and the "
     "window's button) repeats them, and none, --no-image, --no-name and --no-compress take them back",
     0, 1, takes_budget | takes_guards | takes_layout | takes_image | takes_name | takes_compress, nullptr, generate_button, save_dialog, saves, generate_command,
     any_file, "inc"},
    {"plan", "",
     "print the bytes each way of generating the registered list in the chosen font would write, as generate writes "
     "them: the include file's tables or the image, raw or compressed, with the half-width glyphs kept (all when none "
     "are) and without, with and without the other key where that is a choice; * marks the way the kept choices "
     "generate, and with --max-bytes each way says whether it fits N bytes",
     0, 0, takes_budget, nullptr, no_row, Dialog::none, looks, plan_command},
    {"font", nullptr, "choose the font", 1, 1, 0, font_choices.data(), k14_radio, Dialog::none, saves, font_command},
    {"compiler", nullptr, "choose the compiler of the include file", 1, 1, 0, compiler_choices.data(), xc32_radio,
     Dialog::none, saves, compiler_command},
    {nullptr, nullptr, nullptr, 0, 0, 0, nullptr, output_sequence_radio, Dialog::none, saves, output_sequence_command},
    {"language", nullptr, "choose the language of labels and messages", 1, 1, 0, language_choices, language_button,
     Dialog::none, saves, language_command},
    {"show", "", "print both lists, the counts, the choices and the paths", 0, 0, 0, nullptr, no_row, Dialog::none, looks,
     show_command},
    {"import-font", "FONT", import_font_help.c_str(), 1, 1, takes_output | takes_bit_order | takes_size | takes_half,
     nullptr, no_row, Dialog::none, keeps, import_font_command, any_file},
    {"import-bdf", "FONT", "the same as import-font, for the scripts that know it", 1, 1,
     takes_output | takes_bit_order | takes_size | takes_half, nullptr, no_row, Dialog::none, keeps, import_font_command,
     any_file},
    {"preview", "FILE",
     "draw every glyph of an include file or a font source file in a PNG picture (FILE's name with .png); "
     "with --text, a text file (Shift_JIS unless NAME says otherwise) in a line, as the firmware reader draws it",
     1, 1, takes_output | takes_bit_order | takes_text | takes_encoding, nullptr, no_row, Dialog::none, keeps, preview_command,
     any_file},
};

}  // namespace

void note_character(const AppState& state, const Face& face, int cell) {
    const SjisBytes b = bytes_of(cell);
    const char text[2] = {static_cast<char>(b.lead), static_cast<char>(b.trail)};
    char code[16];
    std::snprintf(code, sizeof code, "%#x", code_of(cell));
    face.note(state, message_character_line, {Filler::shift_jis_text(std::string_view(text, 2)), code});
}

std::span<const CommandRow> command_table() { return commands; }

std::span<const OptionRow> option_table() { return options; }

std::string joined(std::string_view words, std::string_view between, std::string_view before_last) {
    std::string text;
    for (std::size_t start = 0;;) {
        const std::size_t end = words.find('|', start);
        text += words.substr(start, end - start);
        if (end == std::string_view::npos) return text;
        text += words.find('|', end + 1) == std::string_view::npos ? before_last : between;
        start = end + 1;
    }
}

int place_among(const char* values, std::string_view word) {
    const std::string_view all = values ? values : "";
    int place = 0;
    for (std::size_t start = 0;; ++place) {
        const std::size_t end = all.find('|', start);
        const std::string_view value = all.substr(start, end - start);
        if (value.size() == word.size() && std::equal(value.begin(), value.end(), word.begin(), [](char x, char y) {
                return (x >= 'A' && x <= 'Z' ? x + 32 : x) == (y >= 'A' && y <= 'Z' ? y + 32 : y);
            }))
            return place;
        if (end == std::string_view::npos) return -1;
        start = end + 1;
    }
}

std::string usage_of(const CommandRow& command) {
    std::string usage = command.word;
    if (command.choices) {
        for (int i = 0; command.choices[i]; ++i) {
            usage += i == 0 ? ' ' : '|';
            usage += command.choices[i];
        }
        return usage;
    }
    if (*command.operands) {
        usage += ' ';
        usage += command.operands;
    }
    for (const OptionRow& o : options) {
        if (!(command.options & o.group)) continue;
        usage += " [";
        usage += o.word;
        if (o.value || o.values) {
            usage += ' ';
            usage += o.values ? o.values : o.value;
        }
        usage += ']';
    }
    return usage;
}

const CommandRow* command_of_word(std::string_view word) {
    for (const CommandRow& c : commands)
        if (c.word && word == c.word) return &c;
    return nullptr;
}

const CommandRow* command_of_window_row(int row) {
    for (const CommandRow& c : commands)
        if (c.window_row == row) return &c;
    return nullptr;
}

}  // namespace sorvane
