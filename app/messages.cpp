#include "app/messages.h"

#include <array>
#include <cstddef>

namespace sorvane {
namespace {

// Pairs of Japanese and English; only the two open errors are shown.
constexpr std::array<const char*, 2 * message_count> message_table{
    "", "", "", "", "", "", "", "", "", "",  // 0 to 4
    "", "", "", "", "", "", "", "", "", "",  // 5 to 9
    // 10: "入力ファイルが開けません\n"
    "\x93\xfc\x97\xcd\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x8a\x4a\x82\xaf\x82\xdc\x82\xb9\x82\xf1\n",
    "Can't open the input file.\n",
    // 11: "出力ファイルが作れません\n"
    "\x8f\x6f\x97\xcd\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x8d\xec\x82\xea\x82\xdc\x82\xb9\x82\xf1\n",
    "Can't create the output file.\n",
    "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "",  // 12 to 19
};

}  // namespace

const char* message_text(int message, int language) {
    if (message < 0 || message >= message_count) return "";
    return message_table[static_cast<std::size_t>(2 * message + (language == 1 ? 1 : 0))];
}

}  // namespace sorvane
