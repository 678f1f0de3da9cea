#include "app/messages.h"

#include <array>
#include <cstddef>

namespace sorvane {
namespace {

// Pairs of Japanese and English. The window shows the two open errors; the command line
// shows those and the others, about files it cannot read or write, or a folder.
constexpr std::array<const char*, 2 * message_count> message_table{
    "", "", "", "", "", "", "", "", "", "",  // 0 to 4
    "", "", "", "", "", "", "", "", "", "",  // 5 to 9
    // 10: "入力ファイルが開けません\n"
    "\x93\xfc\x97\xcd\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x8a\x4a\x82\xaf\x82\xdc\x82\xb9\x82\xf1\n",
    "Can't open the input file.\n",
    // 11: "出力ファイルが作れません\n"
    "\x8f\x6f\x97\xcd\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x8d\xec\x82\xea\x82\xdc\x82\xb9\x82\xf1\n",
    "Can't create the output file.\n",
    // 12: "ファイルが読めません\n"
    "\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x93\xc7\x82\xdf\x82\xdc\x82\xb9\x82\xf1\n",
    "Can't read the file.\n",
    // 13: "ファイルが書けません。元のファイルはそのままです\n"
    "\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x8f\x91\x82\xaf\x82\xdc\x82\xb9\x82\xf1\x81\x42\x8c\xb3\x82\xcc\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xcd\x82\xbb\x82\xcc\x82\xdc\x82\xdc\x82\xc5\x82\xb7\n",
    "Can't write the file; the old one is unchanged.\n",
    // 14: "フォルダに移れません\n"
    "\x83\x74\x83\x48\x83\x8b\x83\x5f\x82\xc9\x88\xda\x82\xea\x82\xdc\x82\xb9\x82\xf1\n",
    "Can't change to the folder.\n",
    // 15: "フォルダは他の実行が使用中です。何も変えていません\n"
    "\x83\x74\x83\x48\x83\x8b\x83\x5f\x82\xcd\x91\xbc\x82\xcc\x8e\xc0\x8d\x73\x82\xaa\x8e\x67\x97\x70\x92\x86\x82\xc5\x82\xb7\x81\x42\x89\xbd\x82\xe0\x95\xcf\x82\xa6\x82\xc4\x82\xa2\x82\xdc\x82\xb9\x82\xf1\n",
    "The folder is in use by another run; nothing is changed.\n",
    // 16: "設定ファイルが壊れています\n"
    "\x90\xdd\x92\xe8\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x89\xf3\x82\xea\x82\xc4\x82\xa2\x82\xdc\x82\xb7\n",
    "The settings file is damaged.\n",
    "", "", "", "", "", "",  // 17 to 19
};

}  // namespace

const char* message_text(int message, int language) {
    if (message < 0 || message >= message_count) return "";
    return message_table[static_cast<std::size_t>(2 * message + (language == 1 ? 1 : 0))];
}

}  // namespace sorvane
