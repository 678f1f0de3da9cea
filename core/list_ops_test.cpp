#include "core/list_ops.h"

#include <gtest/gtest.h>

#include "tests/test_support.h"

namespace sorvane {
namespace {

using testing::bytes;
using testing::character;

class ListOps : public testing::StateTest {
protected:
    void lists(const std::string& detected, const std::string& registered) {
        store_text(detected_text, detected);
        store_text(registered_text, registered);
        settings[kanji_num] = 77;
        settings[detected_num] = 55;
    }
};

TEST_F(ListOps, CountTable) {
    struct Row {
        const char* name;
        void (*operation)();
        int kanji_num;  // -1: unchanged
    };
    const Row rows[] = {
        {"add", add_detected_to_registered, 3},
        {"remove", remove_detected_from_registered, 1},
        {"sort", sort_registered_list, 2},
        {"clear registered", clear_registered_list, 0},
        {"clear detected", clear_detected_list, -1},
    };
    for (const Row& row : rows) {
        lists(character(1) + character(2), character(2) + character(3));
        row.operation();
        EXPECT_EQ(settings[kanji_num], row.kanji_num < 0 ? 77 : row.kanji_num) << row.name;
        EXPECT_EQ(settings[detected_num], 55) << row.name;
    }
}

TEST_F(ListOps, AddMergesAndLeavesTheDetectedListAsTyped) {
    const std::string typed = std::string("x").append(character(9)).append(" \r\n").append(character(1));
    lists(typed, character(5));
    add_detected_to_registered();
    EXPECT_EQ(text_of(registered_text), character(1) + character(5) + character(9));
    EXPECT_EQ(testing::boxes.registered_box, character(1) + character(5) + character(9));
    EXPECT_EQ(text_of(detected_text), typed);
    EXPECT_EQ(testing::boxes.detected_sets, 0);
    add_detected_to_registered();
    EXPECT_EQ(text_of(registered_text), character(1) + character(5) + character(9)) << "adding twice = once";
}

TEST_F(ListOps, RemoveTakesOutOnlyRegisteredOnes) {
    lists(character(1) + character(7), character(9) + character(1) + character(5));
    remove_detected_from_registered();
    EXPECT_EQ(text_of(registered_text), character(5) + character(9));
    EXPECT_EQ(settings[kanji_num], 2);

    lists(character(100), character(9) + character(5));
    remove_detected_from_registered();
    EXPECT_EQ(text_of(registered_text), character(5) + character(9)) << "still rewritten in normal form";
}

TEST_F(ListOps, EmptyDetectedListOnlyNormalises) {
    lists("", character(9) + character(5) + character(9));
    add_detected_to_registered();
    EXPECT_EQ(text_of(registered_text), character(5) + character(9));
    lists("", character(9) + character(5));
    remove_detected_from_registered();
    EXPECT_EQ(text_of(registered_text), character(5) + character(9));
}

TEST_F(ListOps, SortWorkedExample) {
    lists("", bytes({0x88, 0x9F, 0x20, 0x88, 0x9F, 0x0D, 0x0A, 0x81, 0x40}));
    sort_registered_list();
    EXPECT_EQ(text_of(registered_text), bytes({0x81, 0x40, 0x88, 0x9F}));
    EXPECT_EQ(settings[kanji_num], 2);
}

TEST_F(ListOps, ClearsTouchOnlyTheirOwnList) {
    lists(character(1), character(2));
    clear_registered_list();
    EXPECT_EQ(text_of(registered_text), "");
    EXPECT_EQ(testing::boxes.registered_box, "");
    EXPECT_EQ(text_of(detected_text), character(1));
    EXPECT_EQ(testing::boxes.detected_sets, 0);

    lists(character(1), character(2));
    clear_detected_list();
    EXPECT_EQ(text_of(detected_text), "");
    EXPECT_EQ(testing::boxes.detected_box, "");
    EXPECT_EQ(text_of(registered_text), character(2));
}

TEST_F(ListOps, ClearThenAddGivesTheDetectedList) {
    lists(character(3) + character(1), "");
    clear_registered_list();
    EXPECT_EQ(settings[kanji_num], 0);
    add_detected_to_registered();
    EXPECT_EQ(text_of(registered_text), character(1) + character(3));
}

}  // namespace
}  // namespace sorvane
