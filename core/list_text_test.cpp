#include "core/list_text.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/font_test_support.h"

namespace sorvane {
namespace {

using testing::bytes;
using testing::cells_of;
using testing::character;

std::vector<int> parsed(const std::string& text) {
    KanjiGrid set{};
    set.fill(1);  // parsing clears what was there
    parse_list(text, set);
    return cells_of(set);
}

std::string rendered(const KanjiGrid& set) {
    std::string out(longest_list_text, '?');
    out.resize(render_list(set, out.data()));
    return out;
}

KanjiGrid first_cells(int n) {
    KanjiGrid set{};
    for (int i = 0; i < n; ++i) set[static_cast<std::size_t>(i * 3)] = 1;
    return set;
}

TEST(ParseList, KeepsOnlyValidPairs) {
    EXPECT_EQ(parsed(bytes({0x41, 0x88, 0x9F, 0x20, 0xB1, 0x0D, 0x0A, 0x88, 0x9F})), std::vector<int>{1410});
    EXPECT_TRUE(parsed("").empty());
    EXPECT_TRUE(parsed(bytes({0x88})).empty()) << "a lead byte at the end is ignored";
    EXPECT_TRUE(parsed(bytes({0x88, 0x0A})).empty());
    EXPECT_TRUE(parsed(bytes({0x88, 0x7F})).empty());
    EXPECT_TRUE(parsed(bytes({0x88, 0xFD, 0x9F})).empty()) << "a dropped pair takes its second byte along";
}

TEST(ParseList, StrayBytesAreSkippedOneAtATime) {
    EXPECT_EQ(parsed(bytes({0xF0, 0x88, 0x9F})), std::vector<int>{1410});
    EXPECT_EQ(parsed(bytes({0x80, 0xA0, 0xDF, 0xFF, 0x88, 0x9F})), std::vector<int>{1410});
    EXPECT_EQ(parsed(bytes({0x00, 0x88, 0x9F})), std::vector<int>{1410}) << "a NUL inside the view is a byte";
}

TEST(ParseList, OrderAndRepeatsDoNotMatter) {
    const std::string text = character(8835) + "x" + character(0) + character(8835) + "\r\n" + character(5828);
    EXPECT_EQ(parsed(text), (std::vector<int>{0, 5828, 8835}));
}

TEST(RenderList, ThirtyCharactersToALine) {
    EXPECT_EQ(rendered(first_cells(0)), "");
    EXPECT_EQ(rendered(first_cells(29)).size(), 58u);
    EXPECT_EQ(rendered(first_cells(29)).find('\r'), std::string::npos);
    const std::string thirty = rendered(first_cells(30));
    EXPECT_EQ(thirty.size(), 62u);
    EXPECT_EQ(thirty.substr(60), "\r\n");
    const std::string thirty_one = rendered(first_cells(31));
    EXPECT_EQ(thirty_one.size(), 64u);
    EXPECT_EQ(thirty_one.substr(60, 2), "\r\n");
    EXPECT_EQ(thirty_one.substr(62), character(90));
}

TEST(RenderList, FullSetFillsExactly18260Bytes) {
    KanjiGrid all{};
    all.fill(1);
    const std::string text = rendered(all);
    ASSERT_EQ(text.size(), 18260u);
    std::size_t lines = 0;
    for (std::size_t pos = 0; (pos = text.find("\r\n", pos)) != std::string::npos; pos += 2) {
        ++lines;
        EXPECT_EQ(pos % 62, 60u) << "every full line is 60 bytes";
    }
    EXPECT_EQ(lines, 294u);
    EXPECT_EQ(text.size() - 294 * 62, 32u) << "a last line of 16 characters";
    EXPECT_EQ(text.substr(text.size() - 2), character(8835));
    EXPECT_EQ(parsed(text).size(), static_cast<std::size_t>(grid_cells));
}

TEST(RenderList, ParseThenRenderIsANormalForm) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::string text(random() % 400, '\0');
        for (char& c : text) c = static_cast<char>(random() % 3 == 0 ? 0x81 + random() % 0x6F : random() % 256);
        KanjiGrid set{};
        parse_list(text, set);
        const std::string normal = rendered(set);
        KanjiGrid again{};
        parse_list(normal, again);
        ASSERT_EQ(again, set);
        ASSERT_EQ(rendered(again), normal);
    }
}

}  // namespace
}  // namespace sorvane
