// The messages every face shows, each a Japanese/English pair of Shift_JIS texts.
#pragma once

namespace sorvane {

enum Message : int {
    no_message = -1,    // success
    message_said = -2,  // a failure the face has already described in its own words
    message_cannot_open_input = 10,     // "入力ファイルが開けません\n" / "Can't open the input file.\n"
    message_cannot_create_output = 11,  // "出力ファイルが作れません\n" / "Can't create the output file.\n"
    message_cannot_read = 12,           // "ファイルが読めません\n" / "Can't read the file.\n"
    message_cannot_write = 13,          // "...書けません。元のファイルはそのままです" / "...; the old one is unchanged."
    message_cannot_change_folder = 14,  // "フォルダに移れません\n" / "Can't change to the folder.\n"
    message_folder_in_use = 15,         // "フォルダは他の実行が使用中です。..." / "The folder is in use by another run; ..."
    message_settings_damaged = 16,      // "設定ファイルが壊れています\n" / "The settings file is damaged.\n"
};

inline constexpr int message_count = 20;

// Message k of the message table in a language (0 Japanese, 1 English): entry 2k + language;
// the empty text for a number past the table.
const char* message_text(int message, int language);

}  // namespace sorvane
