#include "ui/control_table.h"

#include "app/messages.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <string>

namespace sorvane {
namespace {

// The Shift_JIS bytes of a UTF-8 text, by the C library's converter.
std::string shift_jis(const std::string& utf8) {
    iconv_t c = iconv_open("CP932", "UTF-8");
    std::string out(utf8.size() * 2 + 8, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t in_left = utf8.size();
    char* to = out.data();
    std::size_t out_left = out.size();
    EXPECT_NE(iconv(c, &in, &in_left, &to, &out_left), static_cast<std::size_t>(-1)) << utf8;
    iconv_close(c);
    out.resize(out.size() - out_left);
    return out;
}

struct Labels {
    int row;
    const char* japanese;  // UTF-8
    const char* english;
};

constexpr Labels labels[] = {
    {0, "漢字フォント・データを生成します。", "Generating Kanji-font data."},
    {1, "English", "Japanese"},
    {2, "#", "#"},
    {5, "クリア", "Clear"},
    {6, "テキストファイル", "text file"},
    {9, "文字検出", "characters detected"},
    {10, "上記追加", "Add the above"},
    {11, "全部抹消", "Clear all"},
    {12, "文字整列", "Sort characters"},
    {13, "上記抹消", "Remove the above"},
    {20, "文字登録", "characters registered"},
    {25, "フォント・データ生成", "Generating font data"},
    {30, "フォント", "Font"},
    {31, "K14", "K14"},
    {32, "jiskan16", "jiskan16"},
    {33, "jiskan24", "jiskan24"},
    {36, "出力順序", "Output sequence"},
    {37, "V8xH8xVxH", "V8xH8xVxH"},
    {41, "コンパイラ", "Compiler"},
    {42, "XC32", "XC32"},
    {43, "CC-RH", "CC-RH"},
};

TEST(ControlTable, EveryLabelIsTheShiftJisOfItsText) {
    int labelled = 0;
    for (const Labels& l : labels) {
        ASSERT_NE(label_of(l.row, 0), nullptr) << l.row;
        EXPECT_EQ(label_of(l.row, 0), shift_jis(l.japanese)) << "row " << l.row;
        EXPECT_STREQ(label_of(l.row, 1), l.english) << "row " << l.row;
    }
    for (int row = 0; row < control_row_count; ++row) labelled += label_of(row, 0) != nullptr;
    EXPECT_EQ(labelled, static_cast<int>(std::size(labels))) << "no other row has a label";
}

TEST(ControlTable, FixedTextsAndMessages) {
    EXPECT_EQ(window_title, shift_jis("Sorvane:漢字フォント・データ生成 R" SORVANE_VERSION));
    EXPECT_STREQ(window_class_name, "Sorvane");
    EXPECT_STREQ(open_error_caption, "Open error");
    EXPECT_STREQ(class_error_text, "Few resource or Wrong coding");
    EXPECT_EQ(message_text(message_cannot_open_input, 0), shift_jis("入力ファイルが開けません\n"));
    EXPECT_STREQ(message_text(message_cannot_open_input, 1), "Can't open the input file.\n");
    EXPECT_EQ(message_text(message_cannot_create_output, 0), shift_jis("出力ファイルが作れません\n"));
    EXPECT_STREQ(message_text(message_cannot_create_output, 1), "Can't create the output file.\n");
    const std::pair<int, const char*> command_line_messages[] = {
        {message_cannot_read, "ファイルが読めません\n"},
        {message_cannot_write, "ファイルが書けません。元のファイルはそのままです\n"},
        {message_cannot_change_folder, "フォルダに移れません\n"},
        {message_folder_in_use, "フォルダは他の実行が使用中です。何も変えていません\n"},
        {message_settings_damaged, "設定ファイルが壊れています\n"},
    };
    for (const auto& [message, japanese] : command_line_messages) {
        EXPECT_EQ(message_text(message, 0), shift_jis(japanese)) << message;
        EXPECT_NE(std::string_view(message_text(message, 1)).find(".\n"), std::string_view::npos) << message;
    }
    EXPECT_STREQ(message_text(0, 0), "");
    EXPECT_STREQ(message_text(19, 1), "");
    EXPECT_STREQ(message_text(message_count, 0), "") << "past the table: nothing, never a stray read";
    EXPECT_STREQ(message_text(-1, 0), "");
}

TEST(ControlTable, RowsOfTheLayout) {
    const int empty[] = {3, 4, 14, 16, 17, 18, 21, 22, 23, 24, 26, 27, 28, 29, 34, 35, 38, 39, 40, 44, 45, 46, 47, 48, 49};
    for (int row : empty) {
        const ControlRow& r = control_table[static_cast<std::size_t>(row)];
        EXPECT_EQ(r.type, empty_row) << row;
        EXPECT_EQ(r.style, -1) << row;
        EXPECT_EQ(r.x2, 0) << row;
    }
    for (const ControlRow& r : control_table) {
        EXPECT_LE(r.x2, 520);
        EXPECT_LE(r.y2, 325);
    }
    // The radio groups: slot and base of each button, its value the row minus the base.
    const int radios[][3] = {{31, 18, 31}, {32, 18, 31}, {33, 18, 31}, {37, 8, 37}, {42, 9, 42}, {43, 9, 42}};
    for (const auto& radio : radios) {
        const ControlRow& r = control_table[static_cast<std::size_t>(radio[0])];
        EXPECT_EQ(r.type, radio_button);
        EXPECT_EQ(r.slot, radio[1]);
        EXPECT_EQ(r.group_base, radio[2]);
        EXPECT_EQ(r.style, 0x50000004);
    }
    EXPECT_EQ(control_table[7].slot, 3);
    EXPECT_EQ(control_table[15].slot, 4);
    EXPECT_EQ(control_table[7].style, 0x50A000C4);
    EXPECT_EQ(control_table[8].slot, 17);
    EXPECT_EQ(control_table[19].slot, 11);
    EXPECT_EQ(control_table[19].style, 2);
    EXPECT_EQ(control_table[6].slot, 1);
    EXPECT_EQ(control_table[25].slot, 2);
}

TEST(ControlTable, LabelsOutsideTheTableAreNone) {
    EXPECT_EQ(label_of(-1, 0), nullptr);
    EXPECT_EQ(label_of(50, 1), nullptr);
    EXPECT_EQ(label_of(7, 0), nullptr);
}

}  // namespace
}  // namespace sorvane

namespace sorvane {
namespace {

// The window's buttons and the table of commands agree: each command with a window row
// names a push button or the first radio button of a group, and every push button but the
// "#" one runs a command.
TEST(ControlTable, EveryButtonRunsACommandOfTheTable) {
    int in_window = 0;
    for (const CommandRow& command : command_table()) {
        if (command.window_row < 0) continue;
        ++in_window;
        ASSERT_LT(command.window_row, control_row_count);
        const ControlRow& r = control_table[static_cast<std::size_t>(command.window_row)];
        EXPECT_TRUE(r.type == push_button || (r.type == radio_button && r.group_base == command.window_row))
            << command.window_row;
    }
    EXPECT_EQ(in_window, 11);
    for (int row = 0; row < control_row_count; ++row) {
        const ControlRow& r = control_table[static_cast<std::size_t>(row)];
        if (r.type == push_button && row != default_size_button) {
            EXPECT_NE(command_of_window_row(row), nullptr) << "button " << row << " runs nothing";
        }
        if (r.type == radio_button) {
            EXPECT_NE(command_of_window_row(r.group_base), nullptr) << "radio " << row;
        }
    }
}

}  // namespace
}  // namespace sorvane
