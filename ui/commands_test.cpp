#include "ui/commands.h"

#include <gtest/gtest.h>

#include <cstring>

#include "state/settings_file.h"
#include "tests/test_support.h"
#include "ui/control_table.h"

namespace sorvane {
namespace {

using testing::character;

// A face that records everything the commands asked of it, in order.
struct FaceRecorder final : WindowFace {
    std::vector<std::string> calls;
    std::string detected_box;  // what the list boxes were last given
    std::string registered_box;
    std::string file_to_choose;  // empty: the dialog is cancelled
    std::string offered;         // what the dialog was filled with

    bool choose_file(int row, bool save, char* path, std::size_t capacity) override {
        offered = path;
        calls.push_back((save ? "save " : "choose ") + std::to_string(row));
        if (file_to_choose.empty()) return false;
        EXPECT_LT(file_to_choose.size(), capacity);
        std::strcpy(path, file_to_choose.c_str());
        return true;
    }
    void show_open_error(int message, int) override { calls.push_back("message " + std::to_string(message)); }
    void pull_texts(AppState&) override { calls.push_back("pull"); }
    void set_enabled(int row, bool on) override { calls.push_back((on ? "enable " : "disable ") + std::to_string(row)); }
    void set_checked(int row, bool on) override { calls.push_back((on ? "check " : "uncheck ") + std::to_string(row)); }
    void set_label(int row, const char*) override { calls.push_back("label " + std::to_string(row)); }
    void repaint() override { calls.push_back("repaint"); }
    void set_box_text(int row, const char* text) override { (row == sorvane::detected_box ? detected_box : registered_box) = text; }
};

const std::vector<std::string> lock = {"disable 6", "disable 25", "disable 10", "disable 11",
                                       "disable 12", "disable 7", "disable 15"};
const std::vector<std::string> unlock = {"enable 6", "enable 25", "enable 10", "enable 11",
                                         "enable 12", "enable 7", "enable 15"};

std::vector<std::string> joined(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

class Commands : public testing::FolderTest {
protected:
    void dispatch(std::uint32_t command_word) { sorvane::dispatch(app_state, recorder, command_word); }
    FaceRecorder recorder;
};

TEST_F(Commands, ListButtonsRunUnderTheBusyLock) {
    app_state.lists.registered.store(character(9) + character(2));
    dispatch(sort_button);
    EXPECT_EQ(recorder.calls, joined({lock, {"pull"}, unlock, {"repaint"}}));
    EXPECT_EQ(app_state.lists.registered.view(), character(2) + character(9));
}

TEST_F(Commands, NotificationsChangeNothing) {
    dispatch((0x0300u << 16) | registered_box);  // an edit box's change notification
    dispatch((1u << 16) | sort_button);
    EXPECT_TRUE(recorder.calls.empty());
}

TEST_F(Commands, RowsWithoutAnActionOnlyRepaint) {
    for (std::uint32_t row : {0u, 3u, 7u, 8u, 30u, 36u, 44u, 49u, 50u, 1000u, 65535u}) {
        recorder.calls.clear();
        dispatch(row);
        EXPECT_EQ(recorder.calls, std::vector<std::string>{"repaint"}) << row;
    }
}

TEST_F(Commands, LanguageButtonSwitchesAndRelabels) {
    dispatch(language_button);
    EXPECT_EQ(app_state.language_value, 1);
    std::vector<std::string> relabelled;
    for (int row : {0, 1, 2, 5, 6, 9, 10, 11, 12, 13, 20, 25, 30, 31, 32, 33, 36, 37, 41, 42, 43})
        relabelled.push_back("label " + std::to_string(row));
    relabelled.push_back("repaint");
    EXPECT_EQ(recorder.calls, relabelled);
    dispatch(language_button);
    EXPECT_EQ(app_state.language_value, 0);
    app_state.language_value = 1;
    dispatch(language_button);
    EXPECT_EQ(app_state.language_value, 0) << "1 becomes 0 on the next press";
}

TEST_F(Commands, RadioSelectionMovesTheCheckMark) {
    dispatch(jiskan24_radio);
    EXPECT_EQ(app_state.font.stored, 2);
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"uncheck 31", "check 33", "repaint"}));
    recorder.calls.clear();
    dispatch(jiskan24_radio);
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"uncheck 33", "check 33", "repaint"})) << "already checked";
    dispatch(cc_rh_radio);
    EXPECT_EQ(app_state.compiler.stored, 1);
    dispatch(output_sequence_radio);
    EXPECT_EQ(app_state.output_sequence, 0);
}

// Each item of the window shows the field of the state that its row names, and no other.
TEST_F(Commands, ItemsShowTheFieldsTheirRowsName) {
    app_state.font.stored = 2, app_state.compiler.stored = 1, app_state.output_sequence = 5;
    app_state.counters.registered = 11, app_state.counters.detected = 17;
    for (const auto& [text, value] : {std::pair{&app_state.lists.detected, "d"}, {&app_state.lists.registered, "r"},
                                      {&app_state.paths.input, "i"}, {&app_state.paths.output, "o"}})
        text->store(value);
    const std::pair<int, std::int32_t> numbers[] = {{33, 2}, {43, 1}, {37, 5}, {19, 11}, {8, 17}};
    for (const auto& [row, value] : numbers) EXPECT_EQ(shown_number(app_state, control_table[row].slot), value) << row;
    const std::pair<int, std::string_view> texts[] = {{7, "d"}, {15, "r"}, {6, "i"}, {25, "o"}};
    for (const auto& [row, text] : texts) {
        ASSERT_NE(shown_text(app_state, control_table[row].slot), nullptr) << row;
        EXPECT_EQ(shown_text(app_state, control_table[row].slot)->view(), text) << row;
        EXPECT_FALSE(shown_number(app_state, control_table[row].slot)) << row;
    }
}

TEST_F(Commands, StoredValueOutsideTheGroupUnchecksNothing) {
    for (std::int32_t stored : {7, -1, -31, 12, INT32_MAX, INT32_MIN}) {
        app_state.font.stored = stored;
        app_state.compiler.stored = stored;
        recorder.calls.clear();
        dispatch(jiskan16_radio);
        dispatch(xc32_radio);
        EXPECT_EQ(recorder.calls, (std::vector<std::string>{"check 32", "repaint", "check 42", "repaint"})) << stored;
        EXPECT_EQ(app_state.font.stored, 1);
        EXPECT_EQ(app_state.compiler.stored, 0);
    }
    app_state.compiler.stored = 9;  // 9 + 42 is row 51; 8 + 42 would be the empty row 50 as well
    recorder.calls.clear();
    dispatch(cc_rh_radio);
    EXPECT_EQ(recorder.calls.front(), "check 43");
}

TEST_F(Commands, CancelledOpenDialogChangesNothing) {
    app_state.paths.input.store("before.txt");
    app_state.lists.detected.store(character(1));
    dispatch(text_file_button);
    EXPECT_EQ(recorder.offered, "before.txt");
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"choose 6", "repaint"}));
    EXPECT_EQ(app_state.paths.input.view(), "before.txt");
    EXPECT_EQ(app_state.lists.detected.view(), character(1));
}

TEST_F(Commands, FileThatCannotBeOpenedKeepsItsPath) {
    recorder.file_to_choose = dir.file("missing.txt");
    dispatch(text_file_button);
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"choose 6", "message 10", "repaint"})) << "no lock, no pull";
    EXPECT_EQ(app_state.paths.input.view(), dir.file("missing.txt"));
}

TEST_F(Commands, ScanOfAChosenFile) {
    testing::write_file(dir.file("text.txt"), "x" + character(5) + character(6));
    app_state.lists.registered.store(character(6));
    recorder.file_to_choose = dir.file("text.txt");
    dispatch(text_file_button);
    EXPECT_EQ(recorder.calls, joined({{"choose 6"}, lock, {"pull"}, unlock, {"repaint"}}));
    EXPECT_EQ(app_state.lists.detected.view(), character(5));
    EXPECT_EQ(recorder.detected_box, character(5));
    EXPECT_EQ(app_state.counters.detected, 1);
}

TEST_F(Commands, ReadErrorDuringTheScanIsReportedAndChangesNothing) {
    std::filesystem::create_directory(dir.path / "folder");
    app_state.lists.detected.store(character(1));
    recorder.file_to_choose = dir.file("folder");
    dispatch(text_file_button);
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"choose 6", "message 10", "repaint"}));
    EXPECT_EQ(app_state.lists.detected.view(), character(1));
}

Outcome fail_second(const char* path, Scanner&, KanjiGrid& found) {
    if (std::string(path).find("second") != std::string::npos) return {message_cannot_open_input, path};
    found[7] = 1;
    return {};
}

TEST_F(Commands, ScanOfSeveralFilesChangesNothingUnlessAllWereRead) {
    app_state.lists.detected.store(character(1));
    const char* paths[] = {"first", "second", "third"};
    EXPECT_FALSE(scan_files(app_state, paths, fail_second).ok());
    EXPECT_EQ(app_state.lists.detected.view(), character(1));
    EXPECT_EQ(app_state.paths.input.view(), "third") << "the last chosen file, as the window keeps it";
    const char* good[] = {"first", "third"};
    EXPECT_TRUE(scan_files(app_state, good, fail_second).ok());
    EXPECT_EQ(app_state.lists.detected.view(), character(7));
}

TEST_F(Commands, GenerateOffersFontIncThenTheLastPath) {
    dispatch(generate_button);
    EXPECT_EQ(recorder.offered, "Font.inc");
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"save 25", "repaint"}));
    recorder.file_to_choose = dir.file("out.inc");
    recorder.calls.clear();
    dispatch(generate_button);
    // No font source here: the font's open error comes while the lock is held.
    EXPECT_EQ(recorder.calls, joined({{"save 25"}, lock, {"pull", "message 10"}, unlock, {"repaint"}}));
    EXPECT_TRUE(std::filesystem::exists(dir.file("out.inc")));
    recorder.file_to_choose.clear();
    dispatch(generate_button);
    EXPECT_EQ(recorder.offered, dir.file("out.inc"));
}

TEST_F(Commands, OutputThatCannotBeCreatedOrWritten) {
    recorder.file_to_choose = dir.file("no/such/folder.inc");
    dispatch(generate_button);
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"save 25", "message 11", "repaint"}));
    EXPECT_EQ(app_state.paths.output.view(), dir.file("no/such/folder.inc"));

    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    recorder.file_to_choose = "/dev/full";
    recorder.calls.clear();
    app_state.lists.registered.store(character(5));
    dispatch(generate_button);
    EXPECT_EQ(recorder.calls, joined({{"save 25"}, lock, {"pull", "message 10"}, unlock, {"message 11", "repaint"}}));
    EXPECT_TRUE(std::filesystem::exists("/dev/full")) << "a device is never removed";
}

TEST_F(Commands, FaceWithoutOperationsIsSafe) {
    WindowFace nothing;
    for (std::uint32_t row = 0; row < 60; ++row) sorvane::dispatch(app_state, nothing, row);
    EXPECT_EQ(app_state.paths.output.view(), "Font.inc") << "the generate button offered Font.inc, and nothing was chosen";
}

}  // namespace
}  // namespace sorvane
