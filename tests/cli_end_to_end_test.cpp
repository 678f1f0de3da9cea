// sorvane-cli as a user runs it: a folder of real files, exit status, stdout and stderr.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <tuple>

#include "tests/test_support.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb_image.h>

extern char** environ;

namespace sorvane {
namespace {

using testing::bdf_font;
using testing::bdf_glyph16;
using testing::read_file;
using testing::Result;
using testing::run_cli;
using testing::write_file;

class Cli : public ::testing::Test {
protected:
    Result cli(const std::vector<std::string>& args, const std::string& env = "") {
        return run_cli(dir, args, env);
    }

    // "漢" (JIS 0x3441, Shift_JIS 0x8ABF) drawn as a diagonal, "字" (0x3B7A, 0x8E9A) as a bar.
    void make_font() {
        std::vector<unsigned> diagonal;
        for (int r = 0; r < 16; ++r) diagonal.push_back(0x8000u >> r);
        write_file(dir.file("test16.bdf"), bdf_font(16, {bdf_glyph16(0x3441, diagonal), bdf_glyph16(0x3B7A, {0xFFFF})}));
        ASSERT_EQ(cli({"import-bdf", "test16.bdf"}).status, 0);
    }

    testing::TempDir dir;
};

const std::string kan = "\x8a\xbf";
const std::string ji = "\x8e\x9a";
const std::string ma = "\x96\x9c";  // a third character with no glyph in the test font

// Runs sorvane-cli and watches it while it runs: the peak of its own memory in kilobytes
// since it started the program (VmHWM). The peak that wait4 reports would be the test's own,
// since the child shares the test's memory until it starts the program.
long peak_of(std::vector<const char*> argv, int& status) {
    argv.push_back(nullptr);
    pid_t pid = 0;
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawn(&pid, argv[0], &quiet, nullptr, const_cast<char**>(argv.data()), environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0) return -1;
    long peak_kb = 0;
    const std::string status_file = "/proc/" + std::to_string(pid) + "/status";
    while (waitpid(pid, &status, WNOHANG) == 0) {
        std::ifstream in(status_file);
        for (std::string line; std::getline(in, line);)
            if (line.rfind("VmHWM:", 0) == 0) peak_kb = std::max(peak_kb, std::atol(line.c_str() + 6));
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return peak_kb;
}

// sorvane-cli run in a folder ends with a status, its own memory never past most_kb
// kilobytes resident (the sanitizers' own bookkeeping takes more: not checked there).
void expect_run_within(const testing::TempDir& dir, std::vector<const char*> args, int exit_status, long most_kb) {
    const std::string folder = dir.path.string();
    args.insert(args.begin(), {SORVANE_CLI, "-C", folder.c_str()});
    int status = 0;
    const long peak_kb = peak_of(args, status);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == exit_status) << args[3];
    EXPECT_GT(peak_kb, 0) << "the program was seen running";
#if !defined(SORVANE_SANITIZED)
    EXPECT_LT(peak_kb, most_kb) << "kilobytes resident at most";
#else
    (void)most_kb;
#endif
}

TEST_F(Cli, FromTextToIncludeFile) {
    testing::in_english(dir);
    make_font();
    write_file(dir.file("messages.txt"), "MSG_1 " + ji + kan + "\r\nMSG_2 " + kan + ma + "\r\n");
    Result r = cli({"scan", "messages.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "messages.txt: 3 characters not yet registered\n");
    EXPECT_EQ(cli({"add"}).out, "registered: 3, detected: 3\n");
    EXPECT_EQ(cli({"font", "jiskan16"}).status, 0);
    r = cli({"generate", "out/Font.inc"});
    EXPECT_EQ(r.status, 1) << "no folder out: the output file cannot be created";
    EXPECT_EQ(r.err, "sorvane-cli: Can't create the output file. (out/Font.inc: No such file or directory)\n");
    EXPECT_NE(cli({"show"}).out.find("output file: out/Font.inc\n"), std::string::npos) << "the chosen path is kept";

    r = cli({"generate", "Font.inc"}, "SOURCE_DATE_EPOCH=1736431500");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Font.inc: 3 characters of jiskan16 for XC32; index table 6 bytes, glyph table 96 bytes\n");
    EXPECT_NE(r.err.find("warning"), std::string::npos);
    EXPECT_NE(r.err.find("(0x969c)"), std::string::npos) << "names the character without a glyph: " << r.err;
    EXPECT_EQ(r.err.find("(0x8abf)"), std::string::npos);

    const std::string inc = read_file(dir.file("Font.inc"));
    EXPECT_NE(inc.find("\t2025/ 1/ 9  14: 5: 0\r\n"), std::string::npos) << "the SOURCE_DATE_EPOCH moment in UTC";
    EXPECT_NE(inc.find("\t0x8abf,0x8e9a,0x969c\r\n"), std::string::npos);
    // 漢's diagonal: row r has dot r, bit r in the lsb-left row value.
    EXPECT_NE(inc.find("\t{1,2,4,8,16,32,64,128,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1,2,4,8,16,32,64,128}\r\n"),
              std::string::npos);
    EXPECT_NE(inc.find("\t,{255,0,0,0,0,0,0,0,255,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0}\r\n"), std::string::npos);

    EXPECT_EQ(cli({"generate"}, "SOURCE_DATE_EPOCH=1736431500").status, 0);
    EXPECT_EQ(read_file(dir.file("Font.inc")), inc) << "reproducible";

    // The generation's choices are kept with its path: a plain generate writes what the one that
    // set them wrote, and the words that undo them give back the files and the Sorvane.ini of a
    // folder that never set them.
    const std::string ini = read_file(dir.file("Sorvane.ini"));
    ASSERT_EQ(cli({"generate", "--key", "unicode", "--image", "font.bin", "--name", "small"}, "SOURCE_DATE_EPOCH=1736431500").status, 0);
    const std::string keyed = read_file(dir.file("Font.inc")), image = read_file(dir.file("font.bin"));
    EXPECT_NE(keyed.find("\r\nconst sorvane_font small = SORVANE_FONT_TABLES("), std::string::npos);
    std::filesystem::remove(dir.file("font.bin"));
    EXPECT_EQ(cli({"generate"}, "SOURCE_DATE_EPOCH=1736431500").status, 0);
    EXPECT_EQ(read_file(dir.file("Font.inc")), keyed);
    EXPECT_EQ(read_file(dir.file("font.bin")), image);
    EXPECT_NE(cli({"show"}).out.find("half-width: none\nkey: unicode\nimage: font.bin\nname: small\n"), std::string::npos);
    EXPECT_EQ(cli({"generate", "--key", "none", "--no-image", "--no-name"}, "SOURCE_DATE_EPOCH=1736431500").status, 0);
    EXPECT_EQ(read_file(dir.file("Font.inc")), inc);
    EXPECT_EQ(read_file(dir.file("Sorvane.ini")), ini);
}

// A build's guards: a refused include file is reported with its size or its missing glyphs,
// exits 1 and leaves the last one as it was.
TEST_F(Cli, BuildGuardsKeepTheLastIncludeFile) {
    testing::in_english(dir);
    make_font();
    write_file(dir.file("messages.txt"), kan + ji);
    ASSERT_EQ(cli({"scan", "--add", "messages.txt"}).status, 0);
    ASSERT_EQ(cli({"font", "jiskan16"}).status, 0);
    // Two characters: 4 bytes of codes and 64 of glyphs.
    Result r = cli({"generate", "--max-bytes", "68", "--strict"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string first = read_file(dir.file("Font.inc"));
    // Half-width glyphs come from Sorvane.H16, which must hold those asked for: here only 'A'.
    // A line of 24 values, or a value past a row's byte, is a glyph of another size.
    const auto half_with = [](const std::string& glyph_a) {
        std::string half;
        for (int b = 0; b < 256; ++b) half += b == 'A' ? glyph_a + "\n" : "0\n";
        return half;
    };
    const std::string half_source = half_with("1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16");
    const std::string h16 = dir.file("Sorvane.H16");
    for (const auto& [args, half, said] : std::vector<std::tuple<std::vector<std::string>, std::string, std::string>>{
             {{"generate", "--half-width", "ascii"}, "", "the half-width font source file " + h16 + " cannot be read"},
             {{"generate", "--half-width", "kana"}, half_source, "has no glyph of the half-width characters asked for"},
             {{"generate", "--half-width", "ascii", "--strict"}, half_source,
              "93 half-width characters asked for have a blank glyph in " + h16 + "; the last one is left as it was\n  ! (0x21)\n"},
             {{"generate", "--half-width", "all", "--max-bytes", "2599"}, half_source,
              "its tables would take 2600 bytes of flash (index table 4, glyph table 64, other key table 4, ASCII table 1520, kana table "
              "1008; 2 characters), more than --max-bytes 2599"},
             {{"generate", "--half-width", "ascii"}, half_with("1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,0,0,0,0,0,0,0,1"),
              "Font.inc not written: " + h16 + ":66 holds a glyph of 24 row values, and a half-width glyph of jiskan16 has 16"},
             {{"generate", "--half-width", "ascii"}, half_with("1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,256"),
              h16 + ":66 holds a row value wider than the 8 dots of a half-width glyph of jiskan16"}}) {
        std::filesystem::remove(h16);
        if (!half.empty()) write_file(h16, half);
        r = cli(args);
        EXPECT_EQ(r.status, 1) << args[2];
        EXPECT_NE(r.err.find(said), std::string::npos) << r.err;
        EXPECT_EQ(read_file(dir.file("Font.inc")), first) << args[2];
    }
    write_file(h16, half_source);
    write_file(dir.file("messages.txt"), kan + ji + ma);
    ASSERT_EQ(cli({"scan", "--add", "messages.txt"}).status, 0);
    for (const auto& [args, said] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"generate", "--max-bytes=101"}, "would take 102 bytes of flash (index table 6, glyph table 96, other key table 0, ASCII table 0, kana table 0; 3 characters), more than --max-bytes 101"},
             {{"generate", "--strict"}, "1 registered characters have no glyph in"},
             {{"generate", "--strict", "--max-bytes", "1000"}, "(0x969c)"}}) {
        r = cli(args);
        EXPECT_EQ(r.status, 1) << args.back();
        EXPECT_NE(r.err.find(said), std::string::npos) << r.err;
        EXPECT_EQ(read_file(dir.file("Font.inc")), first) << args.back();
    }
    EXPECT_EQ(cli({"generate", "--max-bytes", "-5"}).status, 2);
    EXPECT_EQ(cli({"generate", "--max-bytes", "102"}).status, 0);
    EXPECT_NE(read_file(dir.file("Font.inc")), first);
    // Three characters, their other key and every half-width glyph: 6 + 96 + 6 + 2528 bytes.
    r = cli({"generate", "half.inc", "--half-width", "all", "--max-bytes", "2636"});
    EXPECT_NE(r.out.find("other key table 6 bytes, half-width table 2528 bytes (158 glyphs), key sjis"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("warning: " + h16 + " has no glyph for these half-width characters asked for (they draw as blanks):\n"
                         "  ! (0x21)\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("  \" (0x22)\n  # (0x23)\n  $ (0x24)\n  % (0x25)\n  & (0x26)\n  ' (0x27)\n  ( (0x28)\n  ) (0x29)\n  * (0x2a)\n"
                         "  and 146 more\n"), std::string::npos) << r.err;
    // The image: its header (72 bytes with two tables) and the same tables, under the same
    // guards; refused, it is left as it was.
    // A refused generation keeps neither its path nor its choices: --half-width none is undone too.
    r = cli({"generate", "half.inc", "--image", "font.bin", "--max-bytes", "173", "--half-width", "none"});
    EXPECT_NE(r.err.find("the image font.bin would take 174 bytes of flash (header 72, index table 6, glyph table 96, other key "
                         "table 0, ASCII table 0, kana table 0), more than --max-bytes 173"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("font.bin")));
    EXPECT_NE(cli({"show"}).out.find("half-width: all\nkey: sjis\nimage: \n"), std::string::npos);
    r = cli({"generate", "half.inc", "--image", "font.bin", "--max-bytes", "174", "--half-width", "none"});
    EXPECT_NE(r.out.find("font.bin: font image of 174 bytes"), std::string::npos) << r.out;
    const std::string image = read_file(dir.file("font.bin"));
    EXPECT_EQ(cli({"generate", "half.inc", "--image", "font.bin", "--strict"}).status, 1);
    // Two outputs in one place, there yet or not, or an image that cannot be made: neither is written.
    const std::string include = read_file(dir.file("half.inc"));
    std::filesystem::create_directory_symlink(dir.path, dir.file("here"));
    std::filesystem::create_directory(dir.file("folder"));
    const std::string same = "it is the include file the same generation writes", read = "a font source file, which Sorvane reads";
    for (const auto& [args, said] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"generate", "new.inc", "--image", "new.inc"}, same},
             {{"generate", "new.inc", "--image", "here/new.inc"}, same},
             {{"generate", "half.inc", "--image", "Sorvane.H16"}, read},
             {{"generate", "half.inc", "--image", "Sorvane.H24"}, read},
             {{"generate", "half.inc", "--image", "nowhere/font.bin"}, "(nowhere/font.bin: No such file or directory)"},
             {{"generate", "half.inc", "--image", "folder"}, "(folder: Is a directory)"},
             {{"generate", "half.inc", "--image", "folder", "--max-bytes", "100000"}, "(folder: Is a directory)"}}) {
        r = cli(args);
        EXPECT_EQ(r.status, 1) << args[3];
        EXPECT_NE(r.err.find(said), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("new.inc")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("Sorvane.H24")));
    // An include file whose name leaves no room for the new file's ending is written beside it
    // all the same, never directly: an image that cannot be made then leaves it as it was.
    const std::string long_name(250, 'a');
    write_file(dir.file(long_name), "kept");
    EXPECT_EQ(cli({"generate", long_name, "--image", "nowhere/font.bin"}).status, 1);
    EXPECT_EQ(read_file(dir.file(long_name)), "kept");
    EXPECT_EQ(cli({"generate", long_name, "--no-image"}).status, 0);
    EXPECT_NE(read_file(dir.file(long_name)).find("FONT_KANJI_NUM"), std::string::npos);
    EXPECT_EQ(read_file(dir.file("half.inc")), include);
    EXPECT_EQ(read_file(dir.file("font.bin")), image);
    EXPECT_EQ(testing::leftovers(dir), "") << "a refused generation leaves no temporary file";
    EXPECT_EQ(read_file(dir.file("Sorvane.H16")), half_source);
    // The include file names its image. The old include file beside a new image, as a
    // generation killed between its renames leaves them, is told, and both are written anew.
    const std::string named = read_file(dir.file("half.inc"));
    const std::vector<std::string> again = {"generate", "half.inc", "--image", "font.bin", "--half-width", "ascii"};
    ASSERT_EQ(cli(again).status, 0);
    write_file(dir.file("half.inc"), named);
    EXPECT_NE(cli(again).err.find("half.inc and font.bin were of two generations"), std::string::npos);
    EXPECT_EQ(cli(again).err.find("generations"), std::string::npos);
}

// --compress is kept (number line 7) and repeated by a plain generate until --no-compress;
// --max-bytes counts the compressed tables as written, and its refusal lists them.
TEST_F(Cli, CompressIsAKeptChoiceThatTheGuardsCount) {
    testing::in_english(dir);
    make_font();
    write_file(dir.file("messages.txt"), kan + ji);
    ASSERT_EQ(cli({"scan", "--add", "messages.txt"}).status + cli({"font", "jiskan16"}).status, 0);
    Result r = cli({"generate", "c.inc", "--compress"});
    int model = 0, starts = 0, packed = 0;
    ASSERT_EQ(std::sscanf(r.out.c_str() + r.out.find("take model"), "take model %d, starts %d and packed glyphs %d", &model, &starts, &packed), 3) << r.out;
    const std::string total = std::to_string(4 + model + starts + packed), glyphs = std::to_string(model + starts + packed);
    EXPECT_NE(read_file(dir.file("Sorvane.ini")).find("\n0\r\n0\r\n1\r\n0\r\n"), std::string::npos) << "number line 7, after the key";
    r = cli({"generate", "c.inc", "--max-bytes", std::to_string(3 + model + starts + packed)});
    EXPECT_NE(r.err.find("would take " + total + " bytes of flash (index table 4, other key table 0, full-width glyphs " + glyphs +
                         ", half-width glyphs 0; 2 characters)"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("take model " + std::to_string(model) + ", starts " + std::to_string(starts)), std::string::npos) << r.err;
    EXPECT_EQ(cli({"generate", "c.inc", "--max-bytes", total}).status, 0);
    EXPECT_NE(read_file(dir.file("c.inc")).find("#define FONT_COMPRESSED\t\t1"), std::string::npos);
    EXPECT_NE(cli({"show"}).out.find("compress: yes\n"), std::string::npos);
    EXPECT_EQ(cli({"generate", "c.inc", "--no-compress"}).status, 0);
    EXPECT_EQ(read_file(dir.file("c.inc")).find("FONT_COMPRESSED"), std::string::npos);
}

TEST_F(Cli, StateIsTheWindowsSettingsFile) {
    std::string ini = "20\r\n1\r\n100\r\n200\r\n900\r\n700\r\n";
    for (int i = 5; i < 20; ++i) ini += "0\r\n";
    ini += "10\r\n\r\n\r\n\r\n\r\n" + ji + kan + ji + "\r\n\r\n\r\n\r\n\r\n\r\n";
    write_file(dir.file("Sorvane.ini"), ini);
    EXPECT_EQ(cli({"sort"}).out, "registered: 2, detected: 0\n");
    const std::string saved = read_file(dir.file("Sorvane.ini"));
    EXPECT_EQ(saved.substr(0, 22), "20\r\n1\r\n100\r\n200\r\n900\r\n") << "window rectangle kept";
    EXPECT_NE(saved.find("\r\n" + kan + ji + "\r\n"), std::string::npos);
    std::size_t lines = 0;
    for (char c : saved) lines += c == '\n';
    EXPECT_EQ(lines, 32u);

    const Result shown = cli({"show"});
    EXPECT_NE(shown.out.find("registered list: 2 characters registered\n  \xe6\xbc\xa2\xe5\xad\x97\n"), std::string::npos)
        << "漢字 in UTF-8: " << shown.out;
    EXPECT_NE(shown.out.find("language: en"), std::string::npos);
}

TEST_F(Cli, ShowAndHelpLeaveNoFiles) {
    EXPECT_EQ(cli({"show"}).status, 0);
    EXPECT_FALSE(std::filesystem::exists(dir.file("Sorvane.ini")));
    Result r = cli({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("usage: sorvane-cli [-C DIR] COMMAND [ARGS]"), std::string::npos);
    EXPECT_EQ(cli({"--version"}).out, "sorvane-cli R" SORVANE_VERSION "\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("Sorvane.ini")));
}

TEST_F(Cli, UsageErrorsExitWithTwo) {
    Result r = cli({"scna", "x"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "sorvane-cli: unknown command 'scna'; did you mean 'scan'?\n"
                     "usage: sorvane-cli [-C DIR] COMMAND [ARGS]\nTry 'sorvane-cli --help' for the commands.\n");
    EXPECT_EQ(cli({"compiler", "gcc"}).status, 2);
    EXPECT_EQ(cli({"generate"}, "SOURCE_DATE_EPOCH=yesterday").status, 2);
    // A font's name is a C identifier of at most 63 characters that no compiler or reader takes
    // for itself; the last two are names, and get as far as the missing font.
    const std::pair<std::string, int> names[] = {
        {"1abc", 2}, {"a-b", 2}, {"", 2}, {std::string(64, 'x'), 2}, {"na\xc3\xafve", 2}, {"int", 2}, {"class", 2},
        {"_Bool", 2}, {"__x", 2}, {"font_kanji", 2}, {"sorvane_font", 2}, {"FONT_KEY", 2}, {std::string(63, 'x'), 1}, {"_16dot", 1}};
    for (const auto& [name, status] : names) {
        const Result named = cli({"generate", "--name", name});
        EXPECT_EQ(named.status, status) << name;
        EXPECT_EQ(named.err.find("--name " + name + ": ") != std::string::npos, status == 2) << named.err;
    }
    std::filesystem::remove(dir.file("Sorvane.ini"));
    EXPECT_EQ(cli({"generate"}, "SOURCE_DATE_EPOCH=yesterday").status, 2);
    EXPECT_FALSE(std::filesystem::exists(dir.file("Sorvane.ini")));
}

TEST_F(Cli, MissingFilesExitWithOneInTheCurrentLanguage) {
    EXPECT_EQ(cli({"language", "en"}).out, "language: en\n");
    Result r = cli({"scan", "nowhere.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "sorvane-cli: Can't open the input file. (nowhere.txt: No such file or directory)\n");
    EXPECT_NE(cli({"show"}).out.find("text file: nowhere.txt\n"), std::string::npos) << "the chosen path is kept";

    cli({"language", "ja"});
    r = cli({"scan", "nowhere.txt"});
    EXPECT_EQ(r.err,
              "sorvane-cli: \xe5\x85\xa5\xe5\x8a\x9b\xe3\x83\x95\xe3\x82\xa1\xe3\x82\xa4\xe3\x83\xab\xe3\x81\x8c"
              "\xe9\x96\x8b\xe3\x81\x91\xe3\x81\xbe\xe3\x81\x9b\xe3\x82\x93 (nowhere.txt: No such file or directory)\n")
        << "入力ファイルが開けません";

    // A missing font source still gives the whole include file, from zeros.
    write_file(dir.file("t.txt"), kan);
    cli({"scan", "t.txt"});
    cli({"add"});
    r = cli({"generate"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Sorvane.K14: No such file or directory"), std::string::npos) << r.err;
    const std::string inc = read_file(dir.file("Font.inc"));
    EXPECT_NE(inc.find("\t{0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0}\r\n};\r\n\r\n"), std::string::npos);
}

TEST_F(Cli, UnreadableSettingsAreNeitherUsedNorOverwritten) {
    std::filesystem::create_directory(dir.path / "Sorvane.ini");
    const Result r = cli({"clear"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("ファイルが読めません"), std::string::npos) << r.err;
    EXPECT_TRUE(std::filesystem::is_directory(dir.path / "Sorvane.ini"));
}

TEST_F(Cli, FullDiskIsAFailureAndLeavesNoFile) {
    make_font();
    cli({"font", "jiskan16"});
    write_file(dir.file("t.txt"), kan);
    cli({"scan", "t.txt"});
    cli({"add"});
    cli({"language", "en"});
    Result r = cli({"generate", "/dev/full"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "sorvane-cli: Can't create the output file. (/dev/full: No space left on device)\n");
    struct stat info {};
    EXPECT_EQ(stat("/dev/full", &info), 0) << "a device is never removed";
}

TEST_F(Cli, DirectoryOption) {
    std::filesystem::create_directory(dir.path / "work");
    write_file(dir.file("work/t.txt"), kan);
    EXPECT_EQ(cli({"-C", "work", "scan", "t.txt"}).status, 0);
    EXPECT_TRUE(std::filesystem::exists(dir.file("work/Sorvane.ini")));
    EXPECT_EQ(cli({"-C", "missing", "add"}).status, 1);
}

TEST_F(Cli, ImportBdfRefusesOtherFontsAndWritesNothing) {
    testing::in_english(dir);
    write_file(dir.file("latin.bdf"), bdf_font(16, {}, "ISO8859"));
    Result r = cli({"import-bdf", "latin.bdf"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("not a JIS X 0208 font"), std::string::npos) << r.err;
    write_file(dir.file("big.bdf"), bdf_font(32, {}));
    EXPECT_EQ(cli({"import-bdf", "big.bdf"}).status, 1);
    write_file(dir.file("text.bdf"), "hello\n");
    EXPECT_EQ(cli({"import-bdf", "text.bdf", "-o", "x.J16"}).status, 1);
    EXPECT_EQ(cli({"import-bdf", "none.bdf"}).status, 1);
    for (const char* name : {"Sorvane.K14", "Sorvane.J16", "Sorvane.J24", "x.J16"})
        EXPECT_FALSE(std::filesystem::exists(dir.file(name))) << name;

    // A font of no glyph on the grid would blank a good font source.
    write_file(dir.file("Sorvane.J24"), "good\n");
    write_file(dir.file("k.bdf"), bdf_font(24, {}));
    r = cli({"import-bdf", "k.bdf", "--bit-order", "msb-left"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("no glyph of the font has a JIS X 0208 position; nothing written"), std::string::npos) << r.err;
    EXPECT_EQ(read_file(dir.file("Sorvane.J24")), "good\n");
}

TEST_F(Cli, ImportBdfWarnsOfGlyphsSharingAPosition) {
    testing::in_english(dir);
    write_file(dir.file("twice.bdf"), bdf_font(16, {bdf_glyph16(0x3441, {1}), bdf_glyph16(0x3441, {2})}));
    const Result r = cli({"import-bdf", "twice.bdf"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Sorvane.J16: 1 glyphs of 16 dots (lsb-left)\n");
    EXPECT_NE(r.err.find("1 glyphs have the position of an earlier glyph, the first at ENCODING 13377 (0x3441)"),
              std::string::npos) << r.err;
}

TEST_F(Cli, ImportFontTakesPackedPcfAndRefusesWhatItCannotPlace) {
    testing::in_english(dir);
    const std::string pcf = "/usr/share/fonts/X11/misc/jiskan16.pcf.gz";
    if (!std::filesystem::exists(pcf)) GTEST_SKIP() << pcf << " is not installed";
    Result r = cli({"import-font", pcf, "--size", "16"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Sorvane.J16: 6877 glyphs of 16 dots (lsb-left)\n");
    EXPECT_NE(r.err.find("lacks 2 of the 6879 JIS X 0208 characters:\n  \xe5\x87\x9c (0xeaa3)\n"), std::string::npos)
        << r.err;
    r = cli({"import-font", pcf, "--size", "24", "-o", "x.J24"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("the font is 16 dots high, not the 24 of --size; nothing written"), std::string::npos) << r.err;
    write_file(dir.file("cut.pcf"), std::string("\1fcp\x09\0\0\0", 8));  // nine tables, none there
    r = cli({"import-font", "cut.pcf", "-o", "cut.J16"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cut.pcf: byte 8: the file ends inside its table of contents; nothing written"),
              std::string::npos) << r.err;
    write_file(dir.file("notes.txt"), "hello\n");
    EXPECT_NE(cli({"import-font", "notes.txt"}).err.find("not a font Sorvane reads"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.J24")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("cut.J16")));
    // Half-width glyphs from a second font: of the same size, and with some.
    const std::string x11 = "/usr/share/fonts/X11/misc/";
    r = cli({"import-font", pcf, "-o", "h.J16", "--half", x11 + "7x14-JISX0201.1976-0.pcf.gz"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("the font is 14 dots high, not the 16 of --size"), std::string::npos) << r.err;
    r = cli({"import-font", pcf, "-o", "h.J16", "--half", pcf});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("has no half-width glyph"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("h.J16")));
    r = cli({"import-font", pcf, "-o", "h.J16", "--half", x11 + "8x16rk.pcf.gz"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("h.H16: 158 half-width glyphs, 16 dots high"), std::string::npos) << r.out;
}

TEST_F(Cli, OutputsThatAreTheirOwnInputsAreRefused) {
    testing::in_english(dir);
    make_font();
    EXPECT_EQ(cli({"import-bdf", "test16.bdf", "-o", "./test16.bdf"}).status, 1);
    cli({"font", "jiskan16"});
    EXPECT_EQ(cli({"generate", "x.inc"}).status, 0);
    const std::string source = read_file(dir.file("Sorvane.J16"));
    const std::string include = read_file(dir.file("x.inc"));
    for (const char* input : {"Sorvane.J16", "Sorvane.ini"}) {
        const Result r = cli({"generate", input});
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("which Sorvane reads"), std::string::npos) << r.err;
    }
    EXPECT_EQ(read_file(dir.file("Sorvane.J16")), source);
    std::filesystem::create_symlink("x.inc", dir.file("link.inc"));
    const Result r = cli({"preview", "x.inc", "-o", "link.inc"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("it is the file the picture is drawn from"), std::string::npos) << r.err;
    EXPECT_EQ(read_file(dir.file("x.inc")), include);
    EXPECT_EQ(read_file(dir.file("test16.bdf")).substr(0, 9), "STARTFONT");

    // The text a preview draws is an input too, and the folder's settings file and its lock
    // file are written by the saving commands alone: a linked one's lock lies beside its target.
    write_file(dir.file("msg.txt"), kan);
    std::filesystem::rename(dir.file("Sorvane.ini"), dir.file("real.ini"));
    std::filesystem::create_symlink("real.ini", dir.file("Sorvane.ini"));
    std::filesystem::create_symlink("msg.txt", dir.file("msg-link.txt"));
    const std::string settings = read_file(dir.file("Sorvane.ini"));
    const std::vector<std::vector<std::string>> refused = {
        {"preview", "x.inc", "--text", "msg.txt", "-o", "msg.txt"},
        {"preview", "x.inc", "--text", "msg.txt", "-o", "msg-link.txt"},
        {"preview", "x.inc", "-o", "Sorvane.ini"},
        {"import-font", "test16.bdf", "-o", "Sorvane.ini"},
        {"import-font", "test16.bdf", "-o", "Sorvane.ini.lock"},
        {"preview", "x.inc", "-o", "real.ini.lock"},
    };
    for (const auto& args : refused) {
        const Result no = cli(args);
        EXPECT_EQ(no.status, 1) << args.back();
        EXPECT_NE(no.err.find(args.size() > 4 ? "the text the picture draws" : "only the commands that save write"),
                  std::string::npos) << no.err;
    }
    EXPECT_EQ(read_file(dir.file("msg.txt")), kan);
    EXPECT_EQ(read_file(dir.file("Sorvane.ini")), settings);

    // A refused generation leaves the stored path alone, so a plain generate still works.
    ASSERT_EQ(cli({"scan", "--add", "msg.txt"}).status, 0);
    EXPECT_EQ(cli({"generate", "y.inc", "--max-bytes", "1"}).status, 1);
    EXPECT_NE(cli({"show"}).out.find("output file: x.inc\n"), std::string::npos);
    EXPECT_EQ(cli({"generate"}).status, 0);
}

// In a folder whose settings are Japanese, as every new one is, sorvane-cli says everything
// in Japanese: its reports, its warnings and its refusals.
TEST_F(Cli, EveryMessageInTheFoldersLanguage) {
    make_font();
    write_file(dir.file("a.txt"), kan + ma);
    write_file(dir.file("u.txt"), "\xe2\x82\xac\n");  // the euro sign, with no Shift_JIS form
    cli({"font", "jiskan16"});
    struct Case {
        std::vector<std::string> args;
        std::string said;  // in stdout and stderr together
    };
    const Case cases[] = {
        {{"scan", "--add", "a.txt"}, "a.txt: 未登録の文字 2 文字\n登録: 2、検出: 2\n"},
        {{"scan", "--encoding", "utf-8", "u.txt"}, "警告: 1 文字は 2 バイトの Shift_JIS の形がないので除きました:"},
        {{"scan", "--encoding", "", "u.txt"}, "--encoding にはエンコーディングの名前が要ります"},
        {{"generate", "--max-bytes", "10"}, "Font.inc は書きませんでした。表がフラッシュを"},
        {{"plan", "--max-bytes", "10"}, "  *  インクルード・ファイル  無圧縮  none          none       68  超える\n"},
        {{"plan"}, "Sorvane.H16 が読めないか半角グリフがないので、半角グリフのある方法は数えません"},
        {{"plan", "--max-bytes", "10"}, "8 の方法のうち 0 が --max-bytes 10 に収まります"},
        {{"generate", "--strict"}, "登録文字のうち 1 文字は"},
        {{"generate", "Sorvane.J16"}, "Sorvane が読む設定ファイルかフォント・ソース・ファイルです"},
        {{"generate", "--name", "9lives"}, "--name 9lives: フォントの名前は 63 文字までの C の識別子です"},
        {{"preview", "Sorvane.J16", "-o", "Sorvane.ini"}, "保存するコマンドしか書きません"},
        {{"generate"}, "警告: " + dir.file("Sorvane.J16") + " には次の登録文字のグリフがありません:"},
    };
    for (const Case& c : cases) {
        const Result r = cli(c.args);
        EXPECT_NE((r.out + r.err).find(c.said), std::string::npos) << c.args[0] << ": " << r.out << r.err;
    }
}

// The packaging's vocabularies are made from the tables at build time: no file under
// packaging/ holds a value list, and the built man page and CMake list hold the help's.
TEST_F(Cli, PackagingListsAreMadeFromTheTables) {
    const std::string help = cli({"--help"}).out;
    const std::string source = SORVANE_SOURCE_DIR, binary = SORVANE_BINARY_DIR;
    const std::string man = read_file(binary + "/man/sorvane-cli.1"), lists = read_file(binary + "/SorvaneVocabulary.cmake");
    std::vector<std::string> by_hand;
    for (const auto& entry : std::filesystem::directory_iterator(source + "/packaging")) by_hand.push_back(read_file(entry.path().string()));
    for (const char* words : {"k14|jiskan16|jiskan24", "xc32|cc-rh|c99", "none|ascii|kana|all", "none|sjis|unicode", "lsb-left|msb-left"}) {
        EXPECT_NE(help.find(words), std::string::npos) << words;
        std::string spaced = words, escaped;
        std::replace(spaced.begin(), spaced.end(), '|', ' ');
        for (const char c : std::string(words)) escaped += c == '-' ? std::string("\\-") : std::string(1, c);
        EXPECT_NE(man.find(escaped), std::string::npos) << words;
        EXPECT_NE(lists.find(" " + spaced + ")\n"), std::string::npos) << words;
        for (const std::string& file : by_hand) EXPECT_EQ(file.find(spaced), std::string::npos) << words;
        for (const std::string& file : by_hand) EXPECT_EQ(file.find(words), std::string::npos) << words;
    }
    EXPECT_EQ(man.find("@usage"), std::string::npos);
}

// Small things that once told the user something false.
TEST_F(Cli, RefusalsSayWhatIsTrue) {
    testing::in_english(dir);
    write_file(dir.file("a.txt"), kan);
    cli({"scan", "--add", "a.txt"});
    std::filesystem::create_directories(dir.file("fonts/Sorvane.J16"));
    std::filesystem::create_directories(dir.file("ja/Sorvane.J16"));  // init DIR speaks DIR's language
    ASSERT_EQ(cli({"-C", "ja", "language", "ja"}).status, 0);
    write_file(dir.file("font.bdf"), bdf_font(16, {bdf_glyph16(0x3441, {0xFFFF})}));
    ASSERT_EQ(std::system(("gzip -c " + dir.file("font.bdf") + " >" + dir.file("font.bdf.gz")).c_str()), 0);
    std::string packed = read_file(dir.file("font.bdf.gz"));
    write_file(dir.file("cut.bdf.gz"), packed.substr(0, packed.size() - 8));  // without its trailer
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string said;
    };
    const Case cases[] = {
        {{"scan", "--encoding", "", "a.txt"}, 2, "--encoding needs the name of an encoding"},
        {{"generate", "--strict"}, 1, "the font source file " + dir.file("Sorvane.K14") + " cannot be read"},
        {{"init", "fonts"}, 1, "fonts/Sorvane.J16: a folder, a device or a FIFO, not a file"},
        {{"init", "ja"}, 1, "出力ファイルが作れません (ja/Sorvane.J16: フォルダ、デバイスまたは FIFO で、ファイルではありません)"},
        {{"import-font", "cut.bdf.gz"}, 1, "it is cut short: its gzip trailer is missing"},
        {{"import-font", "font.bdf.gz", "-o", "whole.J16"}, 0, "1 glyphs taken"},
    };
    for (const Case& c : cases) {
        const Result r = cli(c.args);
        EXPECT_EQ(r.status, c.status) << c.args[0] << ": " << r.err;
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("0 registered"), std::string::npos) << r.err;
        for (std::size_t line = 0; c.args[0] == "init" && line < r.err.size(); line = r.err.find('\n', line) + 1)
            EXPECT_EQ(r.err.compare(line, 13, "sorvane-cli: "), 0) << "each refusal a line of its own: " << r.err;
    }
    // A packed font that unpacks past the limit is refused, in little more memory than that.
    ASSERT_EQ(std::system(("head -c 100000000 /dev/zero | gzip >" + dir.file("zeros.gz")).c_str()), 0);
    expect_run_within(dir, {"import-font", "zeros.gz"}, 1, 72 * 1024);
    // No line of the usage is cut short.
    const std::string help = cli({"--help"}).out;
    EXPECT_NE(help.find("import-font FONT [-o FILE] [--size 14|16|24] [--face N] [--bit-order lsb-left|msb-left] [--half FONT]\n"),
              std::string::npos) << help;
}

TEST_F(Cli, ScanOfATwoGigabyteFileStaysSmall) {
    // A sparse file: 2 GB of zeros with a character at each end, of no room on the disk.
    const std::string path = dir.file("big.txt");
    write_file(path, kan);
    std::filesystem::resize_file(path, (std::uintmax_t{2} << 30) - 2);
    {
        std::FILE* f = std::fopen(path.c_str(), "ab");
        std::fputs(ji.c_str(), f);
        std::fclose(f);
    }
    expect_run_within(dir, {"scan", "big.txt"}, 0, 10 * 1024);
    EXPECT_NE(cli({"show"}).out.find("detected list: 2 characters detected"), std::string::npos) << "both ends were read";
}

// The gray pixels of a PNG file, or nothing.
struct Pixels {
    int width = 0, height = 0;
    std::vector<unsigned char> gray;
    int at(int x, int y) const { return gray[static_cast<std::size_t>(y * width + x)]; }
};

Pixels load_png(const std::string& path) {
    Pixels p;
    int channels = 0;
    unsigned char* data = stbi_load(path.c_str(), &p.width, &p.height, &channels, 1);
    if (data) p.gray.assign(data, data + p.width * p.height);
    stbi_image_free(data);
    return p;
}

TEST_F(Cli, PreviewDrawsEveryGlyphInCodeOrder) {
    testing::in_english(dir);
    // 漢 a diagonal, 字 its top row full: in the picture, fields of 32 x 32 pixels.
    make_font();
    write_file(dir.file("t.txt"), ji + kan);
    cli({"scan", "t.txt"});
    cli({"add"});
    cli({"font", "jiskan16"});
    cli({"compiler", "cc-rh"});
    ASSERT_EQ(cli({"generate", "Font.inc"}).status, 0);
    const Result r = cli({"preview", "Font.inc"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Font.png: 2 glyphs of 16 dots, 580x40 pixels\n");
    const Pixels picture = load_png(dir.file("Font.png"));
    ASSERT_EQ(picture.width, 580);
    ASSERT_EQ(picture.height, 40);
    // Field 0 is 漢 (0x8abf sorts first) at (4, 4), field 1 字 at (40, 4); a dot is 2 x 2 pixels.
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const bool diagonal = x / 2 == y / 2;
            const bool top_row = y / 2 == 0;
            ASSERT_EQ(picture.at(4 + x, 4 + y), diagonal ? 0 : 255) << x << "," << y;
            ASSERT_EQ(picture.at(40 + x, 4 + y), top_row ? 0 : 255) << x << "," << y;
        }
    }
    EXPECT_EQ(picture.at(0, 0), 192) << "gray between the fields";
    EXPECT_EQ(picture.at(76, 10), 192) << "no third glyph";

    // The longest text a preview takes is cut to a picture 8192 pixels wide, in little memory.
    std::string text;
    while (text.size() < (1u << 20)) text += kan;
    write_file(dir.file("long.txt"), text);
    expect_run_within(dir, {"preview", "Font.inc", "--text", "long.txt", "-o", "long.png"}, 0, 100 * 1024);
    EXPECT_EQ(cli({"preview", "Font.inc", "--text", "long.txt", "-o", "long.png"}).out,
              "long.png: the first 255 of the 524288 characters of long.txt (as many as fit in 8192 pixels) "
              "in glyphs of 16 dots, 8168x40 pixels\n");
}

TEST_F(Cli, PreviewDrawsAFontSourceFileInGridOrder) {
    testing::in_english(dir);
    make_font();
    const Result r = cli({"preview", "Sorvane.J16", "-o", "grid.png"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "grid.png: 8836 glyphs of 16 dots, 3388x3388 pixels\n");
    // 漢 is cell 19 * 94 + 32: its field is in row 19 and column 32 of the grid, 36 pixels apart.
    const Pixels picture = load_png(dir.file("grid.png"));
    for (int d = 0; d < 32; ++d) ASSERT_EQ(picture.at(4 + 32 * 36 + d, 4 + 19 * 36 + d), 0) << "the diagonal, " << d;
    EXPECT_EQ(picture.at(4 + 31 * 36, 4 + 19 * 36), 255) << "the cell before it is blank";
}

TEST_F(Cli, PreviewKnowsBothBitOrders) {
    write_file(dir.file("left.bdf"), bdf_font(16, {bdf_glyph16(0x3441, {0x8000})}));
    cli({"import-bdf", "left.bdf", "--bit-order", "msb-left"});
    write_file(dir.file("t.txt"), kan);
    cli({"scan", "t.txt"});
    cli({"add"});
    cli({"font", "jiskan16"});
    ASSERT_EQ(cli({"generate", "left.inc"}).status, 0);
    ASSERT_EQ(cli({"preview", "left.inc", "-o", "msb.png", "--bit-order", "msb-left"}).status, 0);
    ASSERT_EQ(cli({"preview", "left.inc", "-o", "lsb.png"}).status, 0);
    EXPECT_EQ(load_png(dir.file("msb.png")).at(4, 4), 0) << "read in its own order, the dot is the leftmost";
    EXPECT_EQ(load_png(dir.file("lsb.png")).at(4, 4), 255);
    EXPECT_EQ(load_png(dir.file("lsb.png")).at(4 + 14, 4), 0) << "read the other way, dot 7";
}

TEST_F(Cli, PreviewRefusesOtherFiles) {
    write_file(dir.file("notes.inc"), "#define X 1\n");
    Result r = cli({"preview", "notes.inc"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "sorvane-cli: notes.inc:1: neither an include file written by Sorvane nor a font source file\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("notes.png")));
    r = cli({"preview", "missing.inc"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "sorvane-cli: ファイルが読めません (missing.inc: No such file or directory)\n");
    // In the language of the folder's settings, though preview keeps no state.
    cli({"language", "en"});
    r = cli({"preview", "."});
    EXPECT_EQ(r.err, "sorvane-cli: Can't read the file. (.: Is a directory)\n");
}

}  // namespace
}  // namespace sorvane
