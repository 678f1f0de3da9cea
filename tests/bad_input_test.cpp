// Bad input on every reader, through the program as a user runs it: each ends in a clear
// message where one may be shown, and nothing the user made is lost.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <random>

#include "tests/test_support.h"

namespace sorvane {
namespace {

using testing::character;
using testing::read_file;
using testing::Result;
using testing::write_file;

const std::string kan = "\x8a\xbf";

class BadInput : public ::testing::Test {
protected:
    void SetUp() override { testing::in_english(dir); }

    Result cli(const std::vector<std::string>& args, const std::string& env = "") { return testing::run_cli(dir, args, env); }

    // A settings file that registers 漢 and keeps the other values at 0.
    std::string settings_with(const std::string& registered) {
        std::string ini = "20\r\n";
        ini += "1\r\n";  // in English
        for (int i = 1; i < 20; ++i) ini += "0\r\n";
        ini += "10\r\n\r\n\r\n\r\n\r\n" + registered + "\r\n\r\n\r\n\r\n\r\n\r\n";
        return ini;
    }

    testing::TempDir dir;
};

TEST_F(BadInput, SettingsOfBinaryGarbage) {
    std::mt19937 random(3);
    std::string garbage(100000, '\0');
    for (char& c : garbage) c = static_cast<char>(random());
    write_file(dir.file("Sorvane.ini"), garbage);
    const Result shown = cli({"show"});
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(read_file(dir.file("Sorvane.ini")), garbage) << "show writes nothing";
    const Result sorted = cli({"sort"});
    EXPECT_EQ(sorted.status, 1) << "bytes the program never writes: the file is damaged";
    EXPECT_NE(sorted.err.find("行目が壊れています"), std::string::npos) << sorted.err;
    EXPECT_EQ(read_file(dir.file("Sorvane.ini")), garbage) << "a damaged file is never saved over";
}

TEST_F(BadInput, DamagedSettingsAreNeverSavedOver) {
    std::string ini = "20\r\n";
    for (int i = 0; i < 20; ++i) ini += "0\r\n";
    ini += "10\r\n\r\n\r\n\r\n\r\n" + character(1) + character(2) + "\r\n";
    for (const char damage : {'\x1A', '\0'}) {
        std::string damaged = ini;
        damaged.insert(damaged.size() - 3, 1, damage);  // inside the registered list, line 27
        write_file(dir.file("Sorvane.ini"), damaged);
        const Result r = cli({"font", "k14"});
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("27 行目が壊れています"), std::string::npos) << r.err;
        EXPECT_EQ(read_file(dir.file("Sorvane.ini")), damaged);
        const Result shown = cli({"show"});
        EXPECT_EQ(shown.status, 0);
        EXPECT_NE(shown.err.find("その後ろは表示していません"), std::string::npos) << shown.err;
    }
}

TEST_F(BadInput, SettingsOfAMillionLines) {
    std::string ini = "1000000\n";
    for (int i = 0; i < 1000000; ++i) ini += "7\n";
    ini += "1\nnever read\n";
    write_file(dir.file("Sorvane.ini"), ini);
    const Result r = cli({"show"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("registered list: 7 characters registered"), std::string::npos) << "slot 11 is 7, as the file says";
}

TEST_F(BadInput, SettingsCountsOutOfRange) {
    write_file(dir.file("Sorvane.ini"), "-5\n2\n\nx.txt\n");
    EXPECT_NE(cli({"show"}).out.find("text file: x.txt\n"), std::string::npos) << "-5 settings: the next line counts the texts";
    write_file(dir.file("Sorvane.ini"), "2147483648\n1\n2\n3\n10\nnot a text\n");
    const Result r = cli({"show"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("text file: \n"), std::string::npos) << "every line is read as a setting; no text";
}

TEST_F(BadInput, PathsOfFourThousandBytes) {
    write_file(dir.file("Sorvane.ini"), settings_with(kan));
    const std::string long_path(4000, 'p');
    cli({"language", "en"});
    Result r = cli({"scan", long_path});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Can't open the input file. (" + long_path + ": File name too long)"), std::string::npos) << r.err;
    r = cli({"generate", long_path + ".inc"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Can't create the output file."), std::string::npos);
    r = cli({"-C", long_path, "show"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Can't change to the folder."), std::string::npos) << "the language of the folder it started in";
    EXPECT_NE(read_file(dir.file("Sorvane.ini")).find(kan), std::string::npos) << "the list is kept";
}

TEST_F(BadInput, FontSourceFilesThatAreCutShortOrOverlong) {
    write_file(dir.file("t.txt"), kan + "\x8e\x9a");
    cli({"scan", "t.txt"});
    cli({"add"});
    cli({"font", "jiskan16"});

    write_file(dir.file("Sorvane.J16"), "");
    Result r = cli({"generate", "empty.inc"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("ends after line 0 of 8836"), std::string::npos) << r.err;
    EXPECT_NE(read_file(dir.file("empty.inc")).find("};\r\n\r\n"), std::string::npos);

    write_file(dir.file("Sorvane.J16"), "1,2,3\n");
    r = cli({"generate", "short.inc"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("ends after line 1 of 8836"), std::string::npos);

    // Lines of 100000 characters before 漢's: each is cut at the buffer and its rest skipped.
    std::string lines;
    for (int cell = 0; cell < 8836; ++cell) lines += std::string(cell >= 1800 && cell < 1818 ? 100000 : 0, ' ') + "9\n";
    write_file(dir.file("Sorvane.J16"), lines);
    r = cli({"generate", "long.inc"});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string inc = read_file(dir.file("long.inc"));
    EXPECT_NE(inc.find("\t{9,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0"), std::string::npos) << "漢's line, 1819, stays in its place";
    EXPECT_EQ(r.err.find("no glyph"), std::string::npos) << r.err;
}

TEST_F(BadInput, FontSourcesThatAreNoFileAreAnOpenError) {
    cli({"font", "jiskan16"});
    std::filesystem::create_directory(dir.file("Sorvane.J16"));
    for (int kind = 0; kind < 2; ++kind) {
        const Result r = cli({"generate", "x.inc"});  // a FIFO would wait for a writer for ever
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("Sorvane.J16: a folder, a device or a FIFO, not a file"), std::string::npos) << r.err;
        std::filesystem::remove(dir.file("Sorvane.J16"));
        ASSERT_EQ(mkfifo(dir.file("Sorvane.J16").c_str(), 0600), 0);
    }
}

TEST_F(BadInput, BdfFilesTruncatedOrOfImpossibleSizes) {
    const std::string good = testing::bdf_font(16, {testing::bdf_glyph16(0x3441, {0xFFFF})});
    const std::pair<const char*, std::string> fonts[] = {
        {"cut.bdf", good.substr(0, good.size() / 2)},
        {"negative.bdf", testing::bdf_font(16, {{0x3441, -16, 16, 0, -2, {"FFFF"}}})},
        {"huge.bdf", testing::bdf_font(16, {{0x3441, 16, 99999999, 0, -2, {"FFFF"}}})},
        {"box.bdf", "STARTFONT 2.1\nFONTBOUNDINGBOX 2147483647 16 0 0\nENDFONT\n"},
    };
    for (const auto& [name, content] : fonts) {
        write_file(dir.file(name), content);
        const Result r = cli({"import-bdf", name});
        EXPECT_EQ(r.status, 1) << name;
        EXPECT_NE(r.err.find(std::string(name) + ":"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("nothing written"), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("Sorvane.J16")));
}

TEST_F(BadInput, SettingsThatCannotBeWrittenAreAFailure) {
    // Not even root may create a file in /proc: the command's changes cannot be kept.
    const Result r = cli({"-C", "/proc", "font", "jiskan24"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("ファイルが書けません。元のファイルはそのままです (/proc/Sorvane.ini"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace sorvane
