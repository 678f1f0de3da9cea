#include "ui/control_table.h"

#include "core/shift_jis_literal.h"
#include "fontgen/font_table.h"
#include "fontgen/include_writer.h"

namespace sorvane {
namespace {

constexpr ControlRow empty{empty_row, -1, -1, -1, 0, 0, 0, 0, nullptr, nullptr};

}  // namespace

const char* const window_title = "Sorvane:漢字フォント・データ生成 R"_sjis SORVANE_VERSION;

// Japanese labels are Shift_JIS, made from the UTF-8 text by the compiler.
constexpr std::array<ControlRow, control_row_count> control_table{{
    //       type, slot, group base, style, x1, y1, x2, y2, Japanese, English
    /*  0 */ {static_label, -1, -1, 0x50000000, 10, 6, 400, 16, "漢字フォント・データを生成します。"_sjis, "Generating Kanji-font data."},
    /*  1 */ {push_button, -1, -1, 0x50000000, 410, 5, 500, 17, "English", "Japanese"},
    /*  2 */ {push_button, -1, -1, 0x50000000, 505, 5, 520, 17, "#", "#"},
    /*  3 */ empty,
    /*  4 */ empty,
    /*  5 */ {push_button, -1, -1, 0x50000000, 380, 25, 490, 37, "クリア"_sjis, "Clear"},
    /*  6 */ {push_button, 1, -1, 0x50000000, 20, 25, 150, 37, "テキストファイル"_sjis, "text file"},
    /*  7 */ {edit_box, 3, -1, 0x50A000C4, 15, 40, 515, 80, nullptr, nullptr},
    /*  8 */ {painted_decimal, 17, -1, 0x2, 170, 26, 210, 36, nullptr, nullptr},
    /*  9 */ {static_label, -1, -1, 0x50000000, 215, 26, 350, 36, "文字検出"_sjis, "characters detected"},
    /* 10 */ {push_button, -1, -1, 0x50000000, 20, 90, 130, 102, "上記追加"_sjis, "Add the above"},
    /* 11 */ {push_button, -1, -1, 0x50000000, 260, 90, 370, 102, "全部抹消"_sjis, "Clear all"},
    /* 12 */ {push_button, -1, -1, 0x50000000, 380, 90, 490, 102, "文字整列"_sjis, "Sort characters"},
    /* 13 */ {push_button, -1, -1, 0x50000000, 140, 90, 250, 102, "上記抹消"_sjis, "Remove the above"},
    /* 14 */ empty,
    /* 15 */ {edit_box, 4, -1, 0x50A000C4, 15, 105, 515, 205, nullptr, nullptr},
    /* 16 */ empty,
    /* 17 */ empty,
    /* 18 */ empty,
    /* 19 */ {painted_decimal, 11, -1, 0x2, 20, 210, 60, 220, nullptr, nullptr},
    /* 20 */ {static_label, -1, -1, 0x50000000, 65, 210, 200, 220, "文字登録"_sjis, "characters registered"},
    /* 21 */ empty,
    /* 22 */ empty,
    /* 23 */ empty,
    /* 24 */ empty,
    /* 25 */ {push_button, 2, -1, 0x50000000, 250, 209, 450, 221, "フォント・データ生成"_sjis, "Generating font data"},
    /* 26 */ empty,
    /* 27 */ empty,
    /* 28 */ empty,
    /* 29 */ empty,
    /* 30 */ {group_box, -1, -1, 0x50000007, 10, 225, 520, 255, "フォント"_sjis, "Font"},
    /* 31 */ {radio_button, font_kind, 31, 0x50000004, 20, 240, 110, 252, font_table[0].name, font_table[0].name},
    /* 32 */ {radio_button, font_kind, 31, 0x50000004, 120, 240, 220, 252, font_table[1].name, font_table[1].name},
    /* 33 */ {radio_button, font_kind, 31, 0x50000004, 230, 240, 310, 252, font_table[2].name, font_table[2].name},
    /* 34 */ empty,
    /* 35 */ empty,
    /* 36 */ {group_box, -1, -1, 0x50000007, 10, 260, 520, 290, "出力順序"_sjis, "Output sequence"},
    /* 37 */ {radio_button, 8, 37, 0x50000004, 20, 275, 110, 287, "V8xH8xVxH", "V8xH8xVxH"},
    /* 38 */ empty,
    /* 39 */ empty,
    /* 40 */ empty,
    /* 41 */ {group_box, -1, -1, 0x50000007, 10, 295, 520, 325, "コンパイラ"_sjis, "Compiler"},
    /* 42 */ {radio_button, compiler, 42, 0x50000004, 20, 310, 110, 322, compiler_table[0].name, compiler_table[0].name},
    /* 43 */ {radio_button, compiler, 42, 0x50000004, 120, 310, 220, 322, compiler_table[1].name, compiler_table[1].name},
    /* 44 */ empty,
    /* 45 */ empty,
    /* 46 */ empty,
    /* 47 */ empty,
    /* 48 */ empty,
    /* 49 */ empty,
}};

const char* label_of(int row, int language) {
    if (row < 0 || row >= control_row_count) return nullptr;
    const ControlRow& r = control_table[static_cast<std::size_t>(row)];
    return language == 1 ? r.label_en : r.label_ja;
}

}  // namespace sorvane
