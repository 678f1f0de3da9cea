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

// The operands and options as the usage shows them, after the command's word.
std::string operands_of(const CommandRow& c) { return usage_of(c).substr(std::strlen(c.word) + 1); }

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
        const std::string head = usage_of(c);
        if (head.size() > 24) std::fprintf(stream, "  %s\n  %-24s %s\n", head.c_str(), "", c.help);
        else std::fprintf(stream, "  %-24s %s\n", head.c_str(), c.help);
        for (const OptionRow& o : option_table()) {
            if (!(c.options & o.group)) continue;
            const std::string option = std::string(o.word) + (o.value || o.values ? " " : "") + (o.values ? o.values : o.value ? o.value : "");
            if (option.size() > 22) std::fprintf(stream, "    %s\n    %-22s %s\n", option.c_str(), "", o.help);
            else std::fprintf(stream, "    %-22s %s\n", option.c_str(), o.help);
        }
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

// The row of an option word that a command takes, or null.
const OptionRow* option_of(const CommandRow& command, std::string_view word) {
    for (const OptionRow& o : option_table())
        if ((command.options & o.group) && word == o.word) return &o;
    return nullptr;
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

// An option of the command, with its value, as its row sets it; an option the command does
// not take is an error, and so is a value the row does not take.
void parse_option(Invocation& call, int argc, const char* const* argv, int& i) {
    const std::string_view arg = argv[i];
    const std::string_view word = arg.substr(0, arg.find('='));
    const OptionRow* row = option_of(*call.command, word);
    if (!row || (!row->value && !row->values && word != arg)) {
        call.error = "unknown option '" + std::string(arg) + "' for " + call.command->word;
        return;
    }
    const char* value = nullptr;
    if ((row->value || row->values) && !option_value(word, argc, argv, i, value, call.error)) return;
    if (!call.error.empty()) return;
    const int choice = row->values ? place_among(row->values, value) : -1;
    if ((row->values && choice < 0) || !row->set(call.options, value, choice)) {
        call.error = std::string(row->word) + " is " +
                     (row->values ? joined(row->values, ", ", " or ") : std::string(row->expects ? row->expects : "another value")) +
                     ", not '" + value + "'";
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
    static_cast<Options&>(request) = call.options;
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
    const char* encoding = call.options.encoding;
    if (encoding && *encoding == '\0') {
        face.complain(state, message_empty_encoding);
        return true;
    }
    if (encoding && !is_utf8_name(encoding) && !std::make_unique<Decoder>(encoding)->known()) {
        face.complain(state, message_unknown_encoding, {encoding});
        return true;
    }
    return false;
}

}  // namespace

namespace {

// What completes a word: a line of words, or of a kind of file.
std::string completion_line(Completion completes, const char* with) {
    switch (completes) {
    case Completion::file: return std::string(":files") + (with ? std::string(" ") + with : "") + "\n";
    case Completion::folder: return ":dirs\n";
    case Completion::words: return joined(with, " ", " ") + "\n";
    case Completion::nothing: break;
    }
    return "";
}

// A word of the usage as the man page sets it: an option's word in bold, a placeholder in
// italics, a hyphen escaped.
std::string man_word(std::string_view word) {
    std::string text;
    for (const char c : word) text += c == '-' ? std::string("\\-") : std::string(1, c);
    if (!word.empty() && word[0] == '-') return "\\fB" + text + "\\fR";
    const bool placeholder = std::all_of(word.begin(), word.end(), [](char c) { return (c >= 'A' && c <= 'Z') || c == '.'; });
    return placeholder ? "\\fI" + text + "\\fR" : text;
}

// A usage as the man page sets it, each word of it by man_word.
std::string man_usage(std::string_view usage) {
    std::string text;
    std::size_t at = 0;
    while (at < usage.size()) {
        const std::size_t end = usage.find_first_of(" []|", at);
        if (end == at) {
            text += usage[at++];
            continue;
        }
        text += man_word(usage.substr(at, end - at));
        at = end == std::string_view::npos ? usage.size() : end;
    }
    return text;
}

// The CMake name of a command's or an option's word: FONT, HALF_WIDTH.
std::string cmake_name(std::string_view word) {
    std::string name;
    for (const char c : word.substr(word.find_first_not_of('-')))
        name += c == '-' ? '_' : c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
    return name;
}

}  // namespace

std::string completions(std::span<const char* const> words) {
    const CommandRow* command = nullptr;
    for (std::size_t i = 0; i < words.size() && !command; ++i) {
        const std::string_view word = words[i];
        if (word == "-C") ++i;
        else if (word.empty() || word[0] != '-') command = command_of_word(word);
    }
    const std::string_view previous = words.empty() ? "" : words.back();
    if (previous == "-C") return ":dirs\n";
    if (!command) {
        std::string line;
        for (const CommandRow& c : command_table())
            if (c.word) line += std::string(c.word) + " ";
        return line + "-C --help --version\n";
    }
    if (command->choices) return joined(usage_of(*command).substr(std::strlen(command->word) + 1), " ", " ") + "\n";
    if (const OptionRow* row = option_of(*command, previous); row && (row->value || row->values))
        return row->values ? joined(row->values, " ", " ") + "\n" : completion_line(row->completes, row->completes_with);
    std::string line;
    for (const OptionRow& o : option_table())
        if (command->options & o.group) {
            line += ' ';
            line += o.word;
        }
    if (!line.empty()) line = ":options" + line + "\n";
    return line + completion_line(command->operand_completion, command->operand_extension);
}

std::string vocabulary(std::string_view kind, std::string_view page) {
    std::string text;
    if (kind == "man") {
        text = page;
        for (const CommandRow& c : command_table()) {
            const std::string line = "@usage " + std::string(c.word ? c.word : "") + "@";
            const std::size_t at = c.word ? text.find(line) : std::string::npos;
            if (at == std::string::npos) continue;
            const std::string rest = usage_of(c).substr(std::strlen(c.word));
            text.replace(at, line.size(), rest.empty() ? ".B " + man_word(c.word) : ".BR " + man_word(c.word) + " \"" + man_usage(rest) + "\"");
        }
        return text;
    }
    for (const CommandRow& c : command_table()) {
        if (!c.word) continue;
        if (kind == "cmake" && c.choices) {
            text += "set(SORVANE_" + cmake_name(c.word) + "_WORDS " + usage_of(c).substr(std::strlen(c.word) + 1) + ")\n";
        }
    }
    for (const OptionRow& o : option_table())
        if (kind == "cmake" && o.values) text += "set(SORVANE_" + cmake_name(o.word) + "_WORDS " + o.values + ")\n";
    if (kind == "cmake") {
        for (char& c : text) c = c == '|' ? ' ' : c;
    }
    return text;
}

int run(AppState& state, int argc, const char* const* argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--complete") == 0) {
        std::fputs(completions(std::span(argv + 2, static_cast<std::size_t>(argc - 2))).c_str(), stdout);
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--vocabulary") == 0) {
        std::string page;
        if (std::strcmp(argv[2], "man") == 0) {
            char block[4096];
            for (std::size_t n; (n = std::fread(block, 1, sizeof block, stdin)) > 0;) page.append(block, n);
        }
        const std::string text = vocabulary(argv[2], page);
        std::fputs(text.c_str(), stdout);
        return text.empty() ? 2 : 0;
    }
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
