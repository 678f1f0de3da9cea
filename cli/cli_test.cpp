#include "cli/cli.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

namespace sorvane::cli {
namespace {

Invocation parsed(std::initializer_list<const char*> args) {
    std::vector<const char*> argv{"sorvane-cli"};
    argv.insert(argv.end(), args.begin(), args.end());
    return parse_arguments(static_cast<int>(argv.size()), argv.data());
}

TEST(Arguments, DirectoryCommandAndOperands) {
    Invocation call = parsed({"-C", "work", "scan", "messages.txt"});
    EXPECT_EQ(call.error, "");
    EXPECT_STREQ(call.directory, "work");
    ASSERT_EQ(call.operands.size(), 1u);
    EXPECT_STREQ(call.operands[0], "messages.txt");

    call = parsed({"-Cwork", "generate"});
    EXPECT_EQ(call.error, "");
    EXPECT_STREQ(call.directory, "work");
    EXPECT_TRUE(call.operands.empty());

    call = parsed({"scan", "-", "--add"});
    EXPECT_EQ(call.error, "") << "- is standard input, an operand";
    EXPECT_TRUE(call.options.add);
    EXPECT_EQ(parsed({"add", "--add"}).error, "unknown option '--add' for add");
    call = parsed({"generate", "--", "-odd-name.inc"});
    EXPECT_EQ(call.error, "");
    EXPECT_STREQ(call.operands[0], "-odd-name.inc");
}

TEST(Arguments, UsageErrors) {
    EXPECT_EQ(parsed({}).error, "no command given");
    EXPECT_EQ(parsed({"-C"}).error, "-C needs a directory");
    EXPECT_EQ(parsed({"scna", "x"}).error, "unknown command 'scna'; did you mean 'scan'?");
    EXPECT_EQ(parsed({"frobnicate"}).error, "unknown command 'frobnicate'");
    EXPECT_EQ(parsed({"-x", "add"}).error, "unknown option '-x'");
    EXPECT_EQ(parsed({"add", "extra"}).error, "add takes no arguments");
    EXPECT_EQ(parsed({"scan"}).error, "scan takes the arguments FILE... [--encoding NAME] [--add]");
    EXPECT_EQ(parsed({"generate", "a", "b"}).error, "generate takes the arguments [FILE] [--max-bytes N] [--strict] [--half-width none|ascii|kana|all] [--key none|sjis|unicode] [--image IMAGE] [--no-image] [--name NAME] [--no-name] [--compress] [--no-compress]");
    EXPECT_EQ(parsed({"generate", "-o", "x"}).error, "unknown option '-o' for generate");
    EXPECT_EQ(parsed({"font", "arial"}).error, "font is one of k14|jiskan16|jiskan24, not 'arial'");
    EXPECT_EQ(parsed({"import-bdf", "f.bdf", "-o"}).error, "-o needs a value");
    EXPECT_EQ(parsed({"import-bdf", "f.bdf", "--bit-order", "middle"}).error,
              "--bit-order is lsb-left or msb-left, not 'middle'");
    const std::string long_name(32000, 'n');
    EXPECT_EQ(parsed({"scan", long_name.c_str()}).error, "a file name longer than 31999 bytes");
}

TEST(Arguments, ChoicesIgnoreCase) {
    EXPECT_EQ(parsed({"font", "JISKAN24"}).error, "");
    EXPECT_EQ(parsed({"compiler", "CC-RH"}).error, "");
    EXPECT_EQ(parsed({"language", "en"}).error, "");
    EXPECT_NE(parsed({"language", "de"}).error, "");
}

TEST(Arguments, ImportOptionsInEitherForm) {
    Invocation call = parsed({"import-bdf", "--bit-order=msb-left", "k14.bdf", "-o", "out.K14"});
    EXPECT_EQ(call.error, "");
    EXPECT_EQ(call.options.order, BitOrder::msb_left);
    EXPECT_STREQ(call.options.output, "out.K14");
    EXPECT_STREQ(call.operands[0], "k14.bdf");
}

// Every word the completion offers after an option or a choice command is one that the parsing
// takes, for every row of both tables.
TEST(Arguments, CompletionOffersWhatTheParsingTakes) {
    int offered = 0;
    for (const CommandRow& c : command_table()) {
        if (!c.word) continue;
        std::vector<std::vector<std::string>> lines;  // the words before the completed one
        if (c.choices) lines.push_back({c.word});
        for (const OptionRow& o : option_table())
            if ((c.options & o.group) && o.values) lines.push_back({c.word, o.word});
        for (const std::vector<std::string>& line : lines) {
            std::vector<const char*> words;
            for (const std::string& w : line) words.push_back(w.c_str());
            std::string listed = completions(words);
            ASSERT_EQ(listed.back(), '\n');
            listed.pop_back();
            for (std::size_t at = 0; at <= listed.size(); ++offered) {
                const std::size_t end = std::min(listed.find(' ', at), listed.size());
                const std::string word = listed.substr(at, end - at);
                std::vector<const char*> argv = words;
                argv.push_back(word.c_str());
                for (int k = c.choices ? 1 : 0; k < c.min_operands; ++k) argv.push_back("operand");
                argv.insert(argv.begin(), "sorvane-cli");
                EXPECT_EQ(parse_arguments(static_cast<int>(argv.size()), argv.data()).error, "") << line.back() << " " << word;
                at = end + 1;
            }
        }
    }
    EXPECT_GE(offered, 20);
    EXPECT_EQ(completions(std::vector<const char*>{"-C"}), ":dirs\n");
    EXPECT_NE(completions(std::vector<const char*>{"generate"}).find(":options --max-bytes --strict"), std::string::npos);
}

TEST(Arguments, HelpAndVersionWinOverEverythingElse) {
    EXPECT_TRUE(parsed({"--help"}).help);
    EXPECT_TRUE(parsed({"scan", "--help"}).help);
    EXPECT_EQ(parsed({"scan", "--help"}).error, "");
    EXPECT_TRUE(parsed({"--version", "add", "x"}).version);
}

}  // namespace
}  // namespace sorvane::cli
