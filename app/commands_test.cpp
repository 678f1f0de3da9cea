#include "app/commands.h"

#include "app/lists.h"

#include <gtest/gtest.h>

#include "tests/test_support.h"

namespace sorvane {
namespace {

using testing::bytes;
using testing::character;

class ListOps : public testing::StateTest {
protected:
    AppState& state = app_state;

    void lists(const std::string& detected, const std::string& registered) {
        app_state.lists.detected.store(detected);
        app_state.lists.registered.store(registered);
        app_state.counters.registered = 77;
        app_state.counters.detected = 55;
    }
};

TEST_F(ListOps, CountTable) {
    struct Row {
        const char* name;
        Outcome (*operation)(AppState&);
        int kanji_num;  // -1: unchanged
    };
    const Row rows[] = {
        {"add", add_detected, 3},
        {"remove", remove_detected, 1},
        {"sort", sort_registered, 2},
        {"clear registered", clear_registered, 0},
        {"clear detected", clear_detected, -1},
    };
    for (const Row& row : rows) {
        lists(character(1) + character(2), character(2) + character(3));
        row.operation(state);
        EXPECT_EQ(app_state.counters.registered, row.kanji_num < 0 ? 77 : row.kanji_num) << row.name;
        EXPECT_EQ(app_state.counters.detected, 55) << row.name;
    }
}

TEST_F(ListOps, AddMergesAndLeavesTheDetectedListAsTyped) {
    const std::string typed = std::string("x").append(character(9)).append(" \r\n").append(character(1));
    lists(typed, character(5));
    EXPECT_EQ(add_detected(state).lists, registered_list) << "only the registered box takes a new text";
    EXPECT_EQ(app_state.lists.registered.view(), character(1) + character(5) + character(9));
    EXPECT_EQ(app_state.lists.detected.view(), typed);
    add_detected(state);
    EXPECT_EQ(app_state.lists.registered.view(), character(1) + character(5) + character(9)) << "adding twice = once";
}

TEST_F(ListOps, RemoveTakesOutOnlyRegisteredOnes) {
    lists(character(1) + character(7), character(9) + character(1) + character(5));
    remove_detected(state);
    EXPECT_EQ(app_state.lists.registered.view(), character(5) + character(9));
    EXPECT_EQ(app_state.counters.registered, 2);

    lists(character(100), character(9) + character(5));
    remove_detected(state);
    EXPECT_EQ(app_state.lists.registered.view(), character(5) + character(9)) << "still rewritten in normal form";
}

TEST_F(ListOps, EmptyDetectedListOnlyNormalises) {
    lists("", character(9) + character(5) + character(9));
    add_detected(state);
    EXPECT_EQ(app_state.lists.registered.view(), character(5) + character(9));
    lists("", character(9) + character(5));
    remove_detected(state);
    EXPECT_EQ(app_state.lists.registered.view(), character(5) + character(9));
}

TEST_F(ListOps, SortWorkedExample) {
    lists("", bytes({0x88, 0x9F, 0x20, 0x88, 0x9F, 0x0D, 0x0A, 0x81, 0x40}));
    sort_registered(state);
    EXPECT_EQ(app_state.lists.registered.view(), bytes({0x81, 0x40, 0x88, 0x9F}));
    EXPECT_EQ(app_state.counters.registered, 2);
}

TEST_F(ListOps, ClearsTouchOnlyTheirOwnList) {
    lists(character(1), character(2));
    EXPECT_EQ(clear_registered(state).lists, registered_list);
    EXPECT_EQ(app_state.lists.registered.view(), "");
    EXPECT_EQ(app_state.lists.detected.view(), character(1));

    lists(character(1), character(2));
    EXPECT_EQ(clear_detected(state).lists, detected_list);
    EXPECT_EQ(app_state.lists.detected.view(), "");
    EXPECT_EQ(app_state.lists.registered.view(), character(2));
}

TEST_F(ListOps, ClearThenAddGivesTheDetectedList) {
    lists(character(3) + character(1), "");
    clear_registered(state);
    EXPECT_EQ(app_state.counters.registered, 0);
    add_detected(state);
    EXPECT_EQ(app_state.lists.registered.view(), character(1) + character(3));
}

using ListText = testing::StateTest;


TEST_F(ListText, RenderRegisteredSetsTextBoxAndCount) {
    app_state.lists.registered.store(character(2533) + " " + character(1818) + character(2533));
    app_state.counters.detected = 9;
    EXPECT_EQ(sort_registered(app_state).lists, registered_list);
    EXPECT_EQ(app_state.lists.registered.view(), character(1818) + character(2533));
    EXPECT_EQ(app_state.counters.registered, 2);
    EXPECT_EQ(app_state.counters.detected, 9);
}

TEST_F(ListText, RenderDetectedLeavesTheCountsAlone) {
    app_state.lists.detected.store(character(5) + character(4));
    app_state.counters.registered = 3;
    app_state.counters.detected = 9;
    parse_detected(app_state);
    render_detected(app_state);
    EXPECT_EQ(app_state.lists.detected.view(), character(4) + character(5));
    EXPECT_EQ(app_state.counters.registered, 3);
    EXPECT_EQ(app_state.counters.detected, 9);
}

TEST_F(ListText, EmptyTextEmptiesTheBoxAndTheCount) {
    app_state.counters.registered = 5;
    app_state.lists.registered.store("abc");
    sort_registered(app_state);
    EXPECT_EQ(app_state.lists.registered.view(), "");
    EXPECT_EQ(app_state.counters.registered, 0);
}

using Scan = testing::StateTest;

std::vector<int> scanned(const std::string& content) {
    testing::TempDir dir;
    const std::string path = dir.file("text.txt");
    testing::write_file(path, content);
    const char* paths[] = {path.c_str()};
    const Outcome outcome = scan_files(app_state, paths);
    EXPECT_TRUE(outcome.ok());
    EXPECT_EQ(outcome.lists, detected_list | registered_list) << "both boxes take their new texts";
    return testing::cells_of(app_state.detected_set);
}

TEST_F(Scan, FindsOnlyCharactersNotRegistered) {
    app_state.lists.registered.store(character(1504) + " typed " + character(0));
    const std::string text = character(1410) + character(1504) + character(1410) + "abc" + character(8835);
    EXPECT_EQ(scanned(text), (std::vector<int>{1410, 8835}));
    EXPECT_EQ(app_state.counters.detected, 2) << "distinct new characters, not occurrences";
    EXPECT_EQ(app_state.lists.detected.view(), character(1410) + character(8835));
    EXPECT_EQ(app_state.lists.registered.view(), character(0) + character(1504)) << "registered list in normal form";
    EXPECT_EQ(app_state.counters.registered, 2);
}

TEST_F(Scan, ReplacesTheDetectedListAndRepeatsItself) {
    app_state.lists.detected.store(character(5));
    EXPECT_EQ(scanned(character(6)), std::vector<int>{6});
    EXPECT_EQ(app_state.lists.detected.view(), character(6)) << "hand edits of the detected list are discarded";
    EXPECT_EQ(scanned(character(6)), std::vector<int>{6});
}

TEST_F(Scan, EmptyFileEmptiesTheDetectedList) {
    app_state.lists.detected.store(character(5));
    app_state.counters.detected = 4;
    app_state.lists.registered.store(character(9) + character(8));
    EXPECT_TRUE(scanned("plain ASCII\n").empty());
    EXPECT_EQ(app_state.counters.detected, 0);
    EXPECT_EQ(app_state.lists.detected.view(), "");
    EXPECT_EQ(app_state.lists.registered.view(), character(8) + character(9));
}

// A font source file of a font of the given rows, cell k's row r holding k * 100 + r.
std::string full_source(int rows, const std::string& line_of_cell_zero) {
    std::string content = line_of_cell_zero + "\r\n";
    for (int cell = 1; cell < grid_cells; ++cell) {
        for (int r = 0; r < rows; ++r) content += (r ? "," : "") + std::to_string(cell * 100 + r);
        content += "\r\n";
    }
    return content;
}

class LoadFontSource : public testing::FolderTest {
protected:
    void SetUp() override {
        FolderTest::SetUp();
        for (GlyphRecord& r : app_state.glyph_store) r.fill(-5);
    }
};

TEST_F(LoadFontSource, OpensTheFileOfTheFontBesideTheSettings) {
    testing::write_file(dir.file("Sorvane.J24"), full_source(24, "1,2,3"));
    app_state.font.stored = 2;
    const FontSourceLoad load = load_font_source(app_state);
    EXPECT_TRUE(load.outcome.ok());
    EXPECT_EQ(load.lines, grid_cells);
    EXPECT_EQ(app_state.counters.glyph_bytes, 72);
    EXPECT_EQ(app_state.glyph_store[0][2], 3);
    EXPECT_EQ(app_state.paths.font.view(), dir.file("Sorvane.J24")) << "the slot keeps the name";

    testing::write_file(dir.file("Sorvane.K14"), full_source(14, "4"));
    app_state.font.stored = 5;
    EXPECT_TRUE(load_font_source(app_state).outcome.ok());
    EXPECT_EQ(app_state.counters.glyph_bytes, 28);
    EXPECT_EQ(app_state.paths.font.view(), dir.file("Sorvane.K14"));
    EXPECT_EQ(app_state.glyph_store[0][0], 4);
}

TEST_F(LoadFontSource, MissingFileReportsAndKeepsTheStore) {
    app_state.font.stored = 1;
    const FontSourceLoad load = load_font_source(app_state);
    EXPECT_EQ(load.outcome.message, message_cannot_open_input);
    EXPECT_EQ(load.outcome.subject, dir.file("Sorvane.J16"));
    EXPECT_EQ(app_state.counters.glyph_bytes, 32);
    EXPECT_EQ(app_state.glyph_store[100][3], -5);
}

TEST_F(LoadFontSource, NoSettingsPathMeansNoFontFile) {
    app_state.paths.font.store("ab");
    app_state.paths.ini_length = 2;
    EXPECT_FALSE(load_font_source(app_state).outcome.ok());
    EXPECT_EQ(app_state.paths.font.view(), "ab");

    app_state.paths.ini_length = 40000;  // from nowhere but memory gone bad: never written past the slot
    EXPECT_FALSE(load_font_source(app_state).outcome.ok());
    EXPECT_EQ(app_state.paths.font.view(), "ab");
}

}  // namespace
}  // namespace sorvane
