// sorvane-cli as a user runs it: a folder of real files, exit status, stdout and stderr.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include "tests/test_support.h"

namespace sorvane {
namespace {

using testing::bdf_font;
using testing::bdf_glyph16;
using testing::read_file;
using testing::write_file;

struct Result {
    int status;
    std::string out;
    std::string err;
};

std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class Cli : public ::testing::Test {
protected:
    // Runs sorvane-cli in the folder with the given arguments and environment settings.
    Result cli(const std::vector<std::string>& args, const std::string& env = "") {
        std::string command = "cd " + quoted(dir.path.string()) + " && env LC_ALL=C.UTF-8 " + env + " " + SORVANE_CLI;
        for (const std::string& a : args) command += " " + quoted(a);
        command += " >" + quoted(dir.file(".out")) + " 2>" + quoted(dir.file(".err"));
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read_file(dir.file(".out")), read_file(dir.file(".err"))};
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

TEST_F(Cli, FromTextToIncludeFile) {
    make_font();
    write_file(dir.file("messages.txt"), "MSG_1 " + ji + kan + "\r\nMSG_2 " + kan + ma + "\r\n");
    Result r = cli({"scan", "messages.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "messages.txt: 3 characters not yet registered\n");
    EXPECT_EQ(cli({"add"}).out, "registered: 3, detected: 3\n");
    EXPECT_EQ(cli({"font", "jiskan16"}).status, 0);
    r = cli({"generate", "out/Font.inc"});
    EXPECT_EQ(r.status, 1) << "no folder out: the output file cannot be created";
    EXPECT_EQ(r.err,
              "sorvane-cli: \xe5\x87\xba\xe5\x8a\x9b\xe3\x83\x95\xe3\x82\xa1\xe3\x82\xa4\xe3\x83\xab\xe3\x81\x8c"
              "\xe4\xbd\x9c\xe3\x82\x8c\xe3\x81\xbe\xe3\x81\x9b\xe3\x82\x93 (out/Font.inc: No such file or directory)\n")
        << "出力ファイルが作れません";
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
    EXPECT_EQ(cli({"--version"}).out, "sorvane-cli R1.10\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("Sorvane.ini")));
}

TEST_F(Cli, UsageErrorsExitWithTwo) {
    Result r = cli({"scna", "x"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "sorvane-cli: unknown command 'scna'; did you mean 'scan'?\n"
                     "usage: sorvane-cli [-C DIR] COMMAND [ARGS]\nTry 'sorvane-cli --help' for the commands.\n");
    EXPECT_EQ(cli({"compiler", "gcc"}).status, 2);
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
    EXPECT_NE(r.err.find("cannot read"), std::string::npos) << r.err;
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

    write_file(dir.file("k.bdf"), bdf_font(24, {}));
    r = cli({"import-bdf", "k.bdf", "--bit-order", "msb-left"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Sorvane.J24: 0 glyphs of 24 dots (msb-left)\n");
}

}  // namespace
}  // namespace sorvane
