// sorvane-cli scan of texts in other encodings, of several files and of standard input.
#include <gtest/gtest.h>

#include "tests/test_support.h"

namespace sorvane {
namespace {

using testing::read_file;
using testing::Result;
using testing::write_file;

class Encodings : public ::testing::Test {
protected:
    void SetUp() override { testing::in_english(dir); }

    Result cli(const std::vector<std::string>& args) { return testing::run_cli(dir, args); }

    // The detected list as Sorvane.ini keeps it (line 26).
    std::string detected_line() {
        const std::string ini = read_file(dir.file("Sorvane.ini"));
        std::size_t pos = 0;
        for (int line = 1; line < 26; ++line) pos = ini.find('\n', pos) + 1;
        return ini.substr(pos, ini.find("\r\n", pos) - pos);
    }

    // The sample text in an encoding, made by the C library's iconv program.
    std::string sample_in(const std::string& encoding) {
        const std::string path = dir.file("sample." + encoding);
        const std::string command = "iconv -f CP932 -t " + encoding + " " + SORVANE_SOURCE_DIR +
                                    "/samples/device-messages.txt >" + path;
        EXPECT_EQ(std::system(command.c_str()), 0);
        return path;
    }

    testing::TempDir dir;
};

TEST_F(Encodings, ConvertedTextsGiveTheListOfTheShiftJisText) {
    ASSERT_EQ(cli({"scan", std::string(SORVANE_SOURCE_DIR) + "/samples/device-messages.txt"}).status, 0);
    const std::string expected = detected_line();
    ASSERT_GT(expected.size(), 200u);
    for (const char* encoding : {"UTF-8", "EUC-JP", "UTF-16", "CP932"}) {
        const Result r = cli({"scan", "--encoding", encoding, sample_in(encoding)});
        EXPECT_EQ(r.status, 0) << encoding << ": " << r.err;
        EXPECT_EQ(r.err, "") << encoding;
        EXPECT_EQ(detected_line(), expected) << encoding;
    }
}

TEST_F(Encodings, CharactersWithoutATwoByteFormAreNamed) {
    // 漢, then an emoji, 髙 (outside JIS X 0208), half-width カ, ©, and both tildes, which
    // code page 932 and JIS X 0208 map to the same character.
    write_file(dir.file("odd.txt"), "\xe6\xbc\xa2\nx \xf0\x9f\x98\x80 \xe9\xab\x99 \xef\xbd\xb6 \xc2\xa9 \xef\xbd\x9e \xe3\x80\x9c\n");
    const Result r = cli({"scan", "--encoding", "utf-8", "odd.txt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "odd.txt: 2 characters not yet registered\n") << "漢 and the wave dash";
    EXPECT_EQ(r.err, "sorvane-cli: warning: 4 characters have no two-byte Shift_JIS form and are left out:\n"
                     "  odd.txt:2: U+1F600 \xf0\x9f\x98\x80\n  odd.txt:2: U+9AD9 \xe9\xab\x99\n"
                     "  odd.txt:2: U+FF76 \xef\xbd\xb6\n  odd.txt:2: U+00A9 \xc2\xa9\n"
                     "  1 of them are half-width katakana, which the half-width table draws (generate --half-width kana or all)\n");
    std::string many;
    for (int i = 0; i < 12; ++i) many += "\xc2\xa9\n";
    write_file(dir.file("many.txt"), many);
    const Result twelve = cli({"scan", "--encoding", "utf-8", "many.txt"});
    EXPECT_NE(twelve.err.find("12 characters have no two-byte Shift_JIS form and are left out; the first ten:"),
              std::string::npos);
    EXPECT_NE(twelve.err.find("many.txt:10: U+00A9"), std::string::npos);
    EXPECT_EQ(twelve.err.find("many.txt:11:"), std::string::npos);
}

TEST_F(Encodings, InvalidBytesAreAnErrorAndChangeNothing) {
    write_file(dir.file("good.txt"), "\xe6\xbc\xa2");
    ASSERT_EQ(cli({"scan", "--encoding", "utf-8", "good.txt"}).status, 0);
    const std::string before = detected_line();
    write_file(dir.file("bad.txt"), "ok\n\xe5\xad\x97 \xff\n");
    const Result r = cli({"scan", "--encoding", "utf-8", "good.txt", "bad.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "sorvane-cli: bad.txt:2: the bytes at offset 7 are no character of this encoding; no list changed\n");
    EXPECT_EQ(detected_line(), before);
    write_file(dir.file("cut.txt"), "\xe6\xbc");
    EXPECT_EQ(cli({"scan", "--encoding", "utf-8", "cut.txt"}).status, 1) << "a character cut by the end of the file";
    EXPECT_EQ(cli({"scan", "--encoding", "klingon", "good.txt"}).status, 2);
}

TEST_F(Encodings, SeveralFilesMakeOneListAndStandardInputIsADash) {
    write_file(dir.file("a.txt"), "\x8a\xbf");
    write_file(dir.file("b.txt"), "\x8e\x9a");
    Result r = cli({"scan", "a.txt", "b.txt"});
    EXPECT_EQ(r.out, "2 files: 2 characters not yet registered\n");
    EXPECT_EQ(detected_line(), "\x8a\xbf\x8e\x9a");
    EXPECT_NE(cli({"show"}).out.find("text file: b.txt\n"), std::string::npos) << "the last file";

    const std::string command = "cd " + testing::quoted(dir.path.string()) + " && printf '\\346\\274\\242' | " +
                                SORVANE_CLI + " scan --encoding utf-8 - >" + dir.file(".out");
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(read_file(dir.file(".out")), "-: 1 characters not yet registered\n");
    EXPECT_EQ(detected_line(), "\x8a\xbf");
}

}  // namespace
}  // namespace sorvane
