#include "cli/cli.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "app/encoded_text.h"
#include "app/session.h"
#include "cli/arguments.h"
#include "app/command_table.h"
#include "cli/report.h"
#include "app/messages.h"
#include "core/files.h"
#include "fontgen/font_table.h"
#include "fontgen/include_writer.h"

namespace sorvane::cli {

namespace {

// The operands as the usage shows them; a choice's words joined by "|".
std::string operands_of(const CommandRow& c) {
    if (!c.choices) return c.operands;
    std::string words;
    for (int i = 0; c.choices[i]; ++i) {
        if (i > 0) words += '|';
        words += c.choices[i];
    }
    return words;
}

constexpr char version_text[] = "sorvane-cli R" SORVANE_VERSION "\n";

void print_usage(std::FILE* stream, bool full) {
    std::fputs("usage: sorvane-cli [-C DIR] COMMAND [ARGS]\n", stream);
    if (!full) {
        std::fputs("Try 'sorvane-cli --help' for the commands.\n", stream);
        return;
    }
    std::fputs("\nDoes what the buttons of the Sorvane window do, on Sorvane.ini in the working directory:\n"
               "finds the two-byte JIS X 0208 characters of Shift_JIS texts, keeps the registered list,\n"
               "and writes the C include file of their codes and glyphs.\n\nCommands:\n",
               stream);
    for (const CommandRow& c : command_table()) {
        if (!c.word) continue;
        const std::string head = std::string(c.word) + " " + operands_of(c);
        if (head.size() > 24) std::fprintf(stream, "  %s\n  %-24s %s\n", head.c_str(), "", c.help);
        else std::fprintf(stream, "  %-24s %s\n", head.c_str(), c.help);
    }
    std::fputs("\nOptions:\n"
               "  -C DIR                   work in DIR: Sorvane.ini and the font source files are there\n"
               "  --help                   show this help\n"
               "  --version                show the version\n"
               "\nSOURCE_DATE_EPOCH, when set to a number of seconds, is the time (UTC) that generate\n"
               "writes into the include file, instead of the local time.\n"
               "Exit status: 0 success, 1 a file could not be opened, created, read or written,\n"
               "2 a usage error.\n",
               stream);
}

const CommandRow* find_command(std::string_view name) { return command_of_word(name); }

// Edit distance, to suggest the command a mistyped name was meant to be.
std::size_t distance(std::string_view a, std::string_view b) {
    std::size_t row[32];
    if (b.size() >= 32) return 99;
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

const char* nearest_command(std::string_view name) {
    const CommandRow* best = nullptr;
    std::size_t best_distance = 3;  // further than two edits away is no likely typo
    for (const CommandRow& c : command_table()) {
        if (!c.word) continue;
        const std::size_t d = distance(name, c.word);
        if (d < best_distance) {
            best = &c;
            best_distance = d;
        }
    }
    return best ? best->word : nullptr;
}

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x >= 'A' && x <= 'Z' ? x + 32 : x) == (y >= 'A' && y <= 'Z' ? y + 32 : y);
           });
}

int choice_index(const CommandRow& command, std::string_view word) {
    for (int i = 0; command.choices && command.choices[i]; ++i)
        if (equal_ignoring_case(word, command.choices[i])) return i;
    return -1;
}

// The value of an option given as "--name VALUE" or "--name=VALUE"; advances i past it.
bool option_value(std::string_view name, int argc, const char* const* argv, int& i, const char*& value,
                  std::string& error) {
    const std::string_view arg = argv[i];
    if (arg.size() > name.size() && arg.substr(0, name.size()) == name && arg[name.size()] == '=') {
        value = argv[i] + name.size() + 1;
        return true;
    }
    if (arg != name) return false;
    if (i + 1 >= argc) {
        error = std::string(name) + " needs a value";
        return true;
    }
    value = argv[++i];
    return true;
}

// The choice a word names among words, counted from first; false for none.
template <typename Words, typename Choice>
bool word_among(const Words& words, const char* word, Choice& choice, Choice first) {
    for (std::size_t k = 0; k < words.size(); ++k) {
        if (std::strcmp(words[k], word) != 0) continue;
        choice = static_cast<Choice>(static_cast<int>(first) + static_cast<int>(k));
        return true;
    }
    return false;
}

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

}  // namespace

namespace {

// A word before the command: -C DIR, or the command itself.
void parse_leading_word(Invocation& call, int argc, const char* const* argv, int& i) {
    const std::string_view arg = argv[i];
    if (arg == "-C") {
        if (i + 1 >= argc) call.error = "-C needs a directory";
        else call.directory = argv[++i];
    } else if (arg.size() > 2 && arg.substr(0, 2) == "-C") {
        call.directory = argv[i] + 2;
    } else if (arg.size() > 1 && arg[0] == '-') {
        call.error = "unknown option '" + std::string(arg) + "'";
    } else if (!(call.command = find_command(arg))) {
        call.error = "unknown command '" + std::string(arg) + "'";
        if (const char* near = nearest_command(arg)) call.error += std::string("; did you mean '") + near + "'?";
    }
}

// An option of the command, with its value; an option the command does not take is an error.
void parse_option(Invocation& call, int argc, const char* const* argv, int& i) {
    const std::string_view arg = argv[i];
    const unsigned options = call.command->options;
    const char* value = nullptr;
    if ((options & takes_output) && arg == "-o") {
        if (i + 1 >= argc) call.error = "-o needs a file name";
        else call.output = argv[++i];
    } else if ((options & takes_bit_order) && option_value("--bit-order", argc, argv, i, call.bit_order, call.error)) {
        if (call.error.empty() && std::strcmp(call.bit_order, "lsb-left") != 0 && std::strcmp(call.bit_order, "msb-left") != 0)
            call.error = "--bit-order is lsb-left or msb-left, not '" + std::string(call.bit_order) + "'";
    } else if ((options & takes_size) && option_value("--size", argc, argv, i, value, call.error)) {
        if (call.error.empty() && !font_of_dots(call.size = whole_number(value)))
            call.error = std::string(with_font_sizes("--size is ", "").view()) + ", not '" + value + "'";
    } else if ((options & takes_size) && option_value("--face", argc, argv, i, value, call.error)) {
        if (call.error.empty() && (call.face = whole_number(value)) < 0)
            call.error = "--face is the number of a face, from 0, not '" + std::string(value) + "'";
    } else if ((options & takes_text) && option_value("--text", argc, argv, i, call.text, call.error)) {
    } else if ((options & takes_guards) && option_value("--max-bytes", argc, argv, i, value, call.error)) {
        if (call.error.empty() && (call.max_bytes = byte_count(value)) < 0)
            call.error = "--max-bytes is a number of bytes, not '" + std::string(value) + "'";
    } else if ((options & takes_guards) && arg == "--strict") {
        call.strict = true;
    } else if ((options & takes_layout) && option_value("--half-width", argc, argv, i, value, call.error)) {
        HalfWidth half = HalfWidth::none;
        if (call.error.empty() && !word_among(std::array{"none", "ascii", "kana", "all"}, value, half, HalfWidth::none))
            call.error = "--half-width is none, ascii, kana or all, not '" + std::string(value) + "'";
        call.half_width = half;
    } else if ((options & takes_layout) && option_value("--key", argc, argv, i, value, call.error)) {
        KeyChoice key = KeyChoice::none;
        if (call.error.empty() && !word_among(std::array{"none", "sjis", "unicode"}, value, key, KeyChoice::none))
            call.error = "--key is none, sjis or unicode, not '" + std::string(value) + "'";
        call.key = key;
    } else if ((options & takes_half) && option_value("--half", argc, argv, i, call.half_font, call.error)) {
    } else if ((options & takes_image) && option_value("--image", argc, argv, i, call.image, call.error)) {
        call.no_image = false;
    } else if ((options & takes_image) && arg == "--no-image") {
        call.image = nullptr;
        call.no_image = true;
    } else if ((options & takes_add) && arg == "--add") {
        call.add = true;
    } else if ((options & takes_encoding) && option_value("--encoding", argc, argv, i, call.encoding, call.error)) {
    } else {
        call.error = "unknown option '" + std::string(arg) + "' for " + call.command->word;
    }
}

// The operands against what the command takes: how many, and a choice among its words.
void check_operands(Invocation& call) {
    const int count = static_cast<int>(call.operands.size());
    if (count < call.command->min_operands || count > call.command->max_operands) {
        call.error = std::string(call.command->word) + " takes " +
                     (call.command->max_operands == 0 ? std::string("no arguments")
                                                      : "the arguments " + operands_of(*call.command));
    } else if (call.command->choices && choice_index(*call.command, call.operands[0]) < 0) {
        call.error = std::string(call.command->word) + " is one of " + operands_of(*call.command) + ", not '" +
                     call.operands[0] + "'";
    }
    for (const char* operand : call.operands) {
        if (std::strlen(operand) >= 32000 && call.error.empty()) call.error = "a file name longer than 31999 bytes";
    }
}

}  // namespace

Invocation parse_arguments(int argc, const char* const* argv) {
    Invocation call;
    bool operands_only = false;
    for (int i = 1; i < argc && call.error.empty(); ++i) {
        const std::string_view arg = argv[i];
        if (!operands_only && (arg == "--help" || arg == "-h")) {
            call.help = true;
        } else if (!operands_only && (arg == "--version" || arg == "-V")) {
            call.version = true;
        } else if (!call.command) {
            parse_leading_word(call, argc, argv, i);
        } else if (operands_only || arg == "-" || arg.empty() || arg[0] != '-') {
            call.operands.push_back(argv[i]);
        } else if (arg == "--") {
            operands_only = true;
        } else {
            parse_option(call, argc, argv, i);
        }
    }
    if (!call.error.empty() || call.help || call.version) return call;
    if (!call.command) {
        call.error = "no command given";
        return call;
    }
    check_operands(call);
    return call;
}

namespace {

// The request a command line makes of its command.
Request request_of(const Invocation& call, const Face& face) {
    Request request(face, call.operands);
    request.standard_input = true;
    if (call.command->choices) request.choice = choice_index(*call.command, call.operands.at(0));
    request.encoding = call.encoding;
    request.add = call.add;
    request.guards = {call.max_bytes, call.strict};
    request.half_width = call.half_width;
    request.key = call.key;
    request.image = call.image;
    request.no_image = call.no_image;
    request.output = call.output;
    if (call.bit_order && std::strcmp(call.bit_order, "msb-left") == 0) request.order = BitOrder::msb_left;
    request.size = call.size;
    request.face_index = call.face;
    request.text = call.text;
    request.half_font = call.half_font;
    return request;
}

// The exit status of an outcome: 0 success, 2 a failure of what the words meant, 1 any other.
int status_of(const Outcome& outcome) { return outcome.ok() ? 0 : outcome.usage ? 2 : 1; }

// Refuses what the words of a command line meant, before the command runs: true, said, then.
bool refused_words(const AppState& state, const Face& face, const Invocation& call) {
    BannerTime time{};
    if (call.command == command_of_word("generate") && banner_time(time) == BannerClock::not_a_number) {
        face.complain(state, message_epoch_not_a_number);
        return true;
    }
    if (call.encoding && *call.encoding == '\0') {
        face.complain(state, message_empty_encoding);
        return true;
    }
    if (call.encoding && !is_utf8_name(call.encoding) && !std::make_unique<Decoder>(call.encoding)->known()) {
        face.complain(state, message_unknown_encoding, {call.encoding});
        return true;
    }
    return false;
}

}  // namespace

int run(AppState& state, int argc, const char* const* argv) {
    const Invocation call = parse_arguments(argc, argv);
    if (call.help) {
        print_usage(stdout, true);
        return 0;
    }
    if (call.version) {
        std::fputs(version_text, stdout);
        return 0;
    }
    if (!call.error.empty()) {
        complain_usage("%s", call.error.c_str());
        print_usage(stderr, false);
        return 2;
    }
    const CommandLineFace face;
    if (call.directory && !change_directory(call.directory)) {
        const int error = errno;
        look_at_settings(state);  // its language, from the folder the run started in
        face.complain_file(state, message_cannot_change_folder, call.directory, std::strerror(error));
        return 1;
    }
    // The commands that keep no state still speak the language of the folder's settings file,
    // and so do the refusals of what the words meant.
    look_at_settings(state);
    if (refused_words(state, face, call)) return 2;
    const Request request = request_of(call, face);
    const CommandRow& command = *call.command;
    if (command.state == StateUse::none) {
        const Outcome outcome = command.run(state, request);
        face.report(state, outcome);
        return status_of(outcome);
    }
    Outcome outcome;
    const Session session = run_on_settings(state, command.state, [&] { outcome = command.run(state, request); });
    if (session.ran) face.report(state, outcome);
    const bool cycled = report_session(state, face, session, command.state == StateUse::load_and_save);
    if (!session.ran) return 1;
    return !cycled && outcome.ok() ? 1 : status_of(outcome);
}

int run_program(AppState& state, int argc, char** argv) {
    std::string error;
    const std::vector<std::string> words = program_arguments(argc, argv, error);
    if (!error.empty()) {
        complain_usage("%s", error.c_str());
        print_usage(stderr, false);
        return 2;
    }
    std::vector<const char*> pointers{argc > 0 ? argv[0] : "sorvane-cli"};
    for (const std::string& word : words) pointers.push_back(word.c_str());
    return run(state, static_cast<int>(pointers.size()), pointers.data());
}

}  // namespace sorvane::cli
