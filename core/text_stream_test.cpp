#include "core/text_stream.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "tests/font_test_support.h"

namespace sorvane {
namespace {

using testing::bytes;
using testing::ScratchFile;

// Every byte get() delivers, read through blocks of the given size.
std::string folded(const std::string& content, std::size_t block) {
    ScratchFile f(content);
    std::vector<std::uint8_t> buffer(block);
    TextReader in(f.file, buffer);
    std::string out;
    for (int c = in.get(); c >= 0; c = in.get()) out.push_back(static_cast<char>(c));
    return out;
}

std::vector<std::string> lines(const std::string& content, std::size_t capacity, std::size_t block = 5) {
    ScratchFile f(content);
    std::vector<std::uint8_t> buffer(block);
    TextReader in(f.file, buffer);
    std::vector<std::string> out;
    std::vector<char> line(capacity);
    while (in.read_line(line.data(), capacity) > 0) out.emplace_back(line.data());
    return out;
}

TEST(TextReader, FoldsCrLfAndKeepsALoneCr) {
    for (std::size_t block : {1, 2, 3, 4096}) {
        EXPECT_EQ(folded("a\r\nb\rc\n\r\r\nd\r", block), "a\nb\rc\n\r\nd\r") << block;
    }
}

TEST(TextReader, Byte1AEndsTheInput) {
    for (std::size_t block : {1, 2, 4096}) {
        EXPECT_EQ(folded(bytes({'a', '\r', 0x1A, '\n', 'b'}), block), "a\r") << block;
        EXPECT_EQ(folded(bytes({0x1A, 'b'}), block), "") << block;
        EXPECT_EQ(folded(bytes({'a', 0x00, 'b'}), block), bytes({'a', 0x00, 'b'})) << block;
    }
}

TEST(TextReader, BlocksStopAtThe1A) {
    ScratchFile f(bytes({'a', 'b', 'c', 0x1A, 'd'}));
    std::uint8_t buffer[2];
    TextReader in(f.file, buffer);
    std::string raw;
    for (auto block = in.next_block(); !block.empty(); block = in.next_block()) raw.append(block.begin(), block.end());
    EXPECT_EQ(raw, "abc");
    EXPECT_EQ(in.get(), -1);
    EXPECT_FALSE(in.read_failed());
}

TEST(TextReader, ReadsLinesAsFgetsDoes) {
    EXPECT_EQ(lines("one\r\ntwo\nthree", 100), (std::vector<std::string>{"one\n", "two\n", "three"}));
    EXPECT_EQ(lines("abcdefg\n", 4), (std::vector<std::string>{"abc", "def", "g\n"}));
    EXPECT_EQ(lines("\n\n", 4), (std::vector<std::string>{"\n", "\n"}));
    EXPECT_TRUE(lines("", 4).empty());
}

TEST(TextReader, SkipsTheRestOfALongLine) {
    ScratchFile f("abcdefgh\r\nnext\n");
    std::uint8_t buffer[3];
    TextReader in(f.file, buffer);
    char line[4];
    EXPECT_EQ(in.read_line(line, sizeof line), 3u);
    in.skip_line();
    EXPECT_EQ(in.read_line(line, sizeof line), 3u);
    EXPECT_STREQ(line, "nex");
}

TEST(TextReader, ReadErrorEndsTheInputLikeTheEnd) {
    std::FILE* f = std::tmpfile();
    std::fputs("written", f);
    std::rewind(f);
    std::FILE* write_only = std::freopen(nullptr, "wb", f);  // reading it now fails
    ASSERT_NE(write_only, nullptr);
    std::uint8_t buffer[16];
    TextReader in(write_only, buffer);
    EXPECT_EQ(in.get(), -1);
    EXPECT_TRUE(in.read_failed());
    EXPECT_EQ(in.read_error(), EBADF) << "the reason, kept where the read failed";
    std::fclose(write_only);
}

TEST(TextWriter, WritesEveryLineEndAsCrLf) {
    testing::TempDir dir;
    const std::string path = dir.file("out.txt");
    std::FILE* f = std::fopen(path.c_str(), "wb");
    {
        TextWriter out(f);
        out.write("a\nb\r\n");
        out.write_unsigned(4294967295u);
        out.write_byte(',');
        out.write_signed(-2147483647 - 1);
        out.write("\n");
        EXPECT_TRUE(out.flush());
    }
    std::fclose(f);
    EXPECT_EQ(testing::read_file(path), "a\r\nb\r\r\n4294967295,-2147483648\r\n");
}

TEST(TextWriter, LargeOutputArrivesWhole) {
    testing::TempDir dir;
    const std::string path = dir.file("big.txt");
    std::FILE* f = std::fopen(path.c_str(), "wb");
    TextWriter out(f);
    for (int i = 0; i < 100000; ++i) out.write("xy\n");
    EXPECT_TRUE(out.flush());
    std::fclose(f);
    EXPECT_EQ(testing::read_file(path).size(), 400000u);
}

TEST(TextWriter, ReportsAFullDisk) {
    std::FILE* f = std::fopen("/dev/full", "wb");
    if (!f) GTEST_SKIP() << "no /dev/full here";
    TextWriter out(f);
    out.write("hello\n");
    EXPECT_FALSE(out.flush());
    EXPECT_EQ(out.error(), ENOSPC);
    std::fclose(f);
}

}  // namespace
}  // namespace sorvane
