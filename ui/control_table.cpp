#include "ui/control_table.h"

#include "fontgen/font_table.h"
#include "fontgen/include_writer.h"

namespace sorvane {
namespace {

constexpr ControlRow empty{empty_row, -1, -1, -1, 0, 0, 0, 0, nullptr, nullptr};

}  // namespace

// Japanese labels are Shift_JIS; the Unicode text stands beside each row.
constexpr std::array<ControlRow, control_row_count> control_table{{
    //       type, slot, group base, style, x1, y1, x2, y2, Japanese, English
    /*  0 */ {static_label, -1, -1, 0x50000000, 10, 6, 400, 16, "\x8a\xbf\x8e\x9a\x83\x74\x83\x48\x83\x93\x83\x67\x81\x45\x83\x66\x81\x5b\x83\x5e\x82\xf0\x90\xb6\x90\xac\x82\xb5\x82\xdc\x82\xb7\x81\x42", "Generating Kanji-font data."},  // 漢字フォント・データを生成します。
    /*  1 */ {push_button, -1, -1, 0x50000000, 410, 5, 500, 17, "English", "Japanese"},
    /*  2 */ {push_button, -1, -1, 0x50000000, 505, 5, 520, 17, "#", "#"},
    /*  3 */ empty,
    /*  4 */ empty,
    /*  5 */ {push_button, -1, -1, 0x50000000, 380, 25, 490, 37, "\x83\x4e\x83\x8a\x83\x41", "Clear"},  // クリア
    /*  6 */ {push_button, 1, -1, 0x50000000, 20, 25, 150, 37, "\x83\x65\x83\x4c\x83\x58\x83\x67\x83\x74\x83\x40\x83\x43\x83\x8b", "text file"},  // テキストファイル
    /*  7 */ {edit_box, 3, -1, 0x50A000C4, 15, 40, 515, 80, nullptr, nullptr},
    /*  8 */ {painted_decimal, 17, -1, 0x2, 170, 26, 210, 36, nullptr, nullptr},
    /*  9 */ {static_label, -1, -1, 0x50000000, 215, 26, 350, 36, "\x95\xb6\x8e\x9a\x8c\x9f\x8f\x6f", "characters detected"},  // 文字検出
    /* 10 */ {push_button, -1, -1, 0x50000000, 20, 90, 130, 102, "\x8f\xe3\x8b\x4c\x92\xc7\x89\xc1", "Add the above"},  // 上記追加
    /* 11 */ {push_button, -1, -1, 0x50000000, 260, 90, 370, 102, "\x91\x53\x95\x94\x96\x95\x8f\xc1", "Clear all"},  // 全部抹消
    /* 12 */ {push_button, -1, -1, 0x50000000, 380, 90, 490, 102, "\x95\xb6\x8e\x9a\x90\xae\x97\xf1", "Sort characters"},  // 文字整列
    /* 13 */ {push_button, -1, -1, 0x50000000, 140, 90, 250, 102, "\x8f\xe3\x8b\x4c\x96\x95\x8f\xc1", "Remove the above"},  // 上記抹消
    /* 14 */ empty,
    /* 15 */ {edit_box, 4, -1, 0x50A000C4, 15, 105, 515, 205, nullptr, nullptr},
    /* 16 */ empty,
    /* 17 */ empty,
    /* 18 */ empty,
    /* 19 */ {painted_decimal, 11, -1, 0x2, 20, 210, 60, 220, nullptr, nullptr},
    /* 20 */ {static_label, -1, -1, 0x50000000, 65, 210, 200, 220, "\x95\xb6\x8e\x9a\x93\x6f\x98\x5e", "characters registered"},  // 文字登録
    /* 21 */ empty,
    /* 22 */ empty,
    /* 23 */ empty,
    /* 24 */ empty,
    /* 25 */ {push_button, 2, -1, 0x50000000, 250, 209, 450, 221, "\x83\x74\x83\x48\x83\x93\x83\x67\x81\x45\x83\x66\x81\x5b\x83\x5e\x90\xb6\x90\xac", "Generating font data"},  // フォント・データ生成
    /* 26 */ empty,
    /* 27 */ empty,
    /* 28 */ empty,
    /* 29 */ empty,
    /* 30 */ {group_box, -1, -1, 0x50000007, 10, 225, 520, 255, "\x83\x74\x83\x48\x83\x93\x83\x67", "Font"},  // フォント
    /* 31 */ {radio_button, font_kind, 31, 0x50000004, 20, 240, 110, 252, font_table[0].name, font_table[0].name},
    /* 32 */ {radio_button, font_kind, 31, 0x50000004, 120, 240, 220, 252, font_table[1].name, font_table[1].name},
    /* 33 */ {radio_button, font_kind, 31, 0x50000004, 230, 240, 310, 252, font_table[2].name, font_table[2].name},
    /* 34 */ empty,
    /* 35 */ empty,
    /* 36 */ {group_box, -1, -1, 0x50000007, 10, 260, 520, 290, "\x8f\x6f\x97\xcd\x8f\x87\x8f\x98", "Output sequence"},  // 出力順序
    /* 37 */ {radio_button, 8, 37, 0x50000004, 20, 275, 110, 287, "V8xH8xVxH", "V8xH8xVxH"},
    /* 38 */ empty,
    /* 39 */ empty,
    /* 40 */ empty,
    /* 41 */ {group_box, -1, -1, 0x50000007, 10, 295, 520, 325, "\x83\x52\x83\x93\x83\x70\x83\x43\x83\x89", "Compiler"},  // コンパイラ
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
