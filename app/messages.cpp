#include "app/messages.h"

#include <array>
#include <cstddef>

#include "core/shift_jis_literal.h"

namespace sorvane {
namespace {

// Pairs of Japanese and English, the Japanese written in UTF-8 and made Shift_JIS by the
// compiler (_sjis). The window shows the two open errors, the folder in use and a lock file it
// cannot use; the command line shows every one of them.
constexpr std::array<const char*, 2 * message_count> message_table{
    "", "", "", "", "", "", "", "", "", "",  // 0 to 4
    "", "", "", "", "", "", "", "", "", "",  // 5 to 9
    // 10
    "入力ファイルが開けません\n"_sjis,
    "Can't open the input file.\n",
    // 11
    "出力ファイルが作れません\n"_sjis,
    "Can't create the output file.\n",
    // 12
    "ファイルが読めません\n"_sjis,
    "Can't read the file.\n",
    // 13
    "ファイルが書けません。元のファイルはそのままです\n"_sjis,
    "Can't write the file; the old one is unchanged.\n",
    // 14
    "フォルダに移れません\n"_sjis,
    "Can't change to the folder.\n",
    // 15
    "フォルダは他の実行が使用中です。何も変えていません\n"_sjis,
    "The folder is in use by another run; nothing is changed.\n",
    // 16
    "設定ファイルが壊れています\n"_sjis,
    "The settings file is damaged.\n",
    "", "", "", "", "", "",  // 17 to 19
    // 20
    "フォルダ、デバイスまたは FIFO で、ファイルではありません"_sjis,
    "a folder, a device or a FIFO, not a file",
    // 21
    "Sorvane が読む設定ファイルかフォント・ソース・ファイルです"_sjis,
    "it is the settings file or a font source file, which Sorvane reads",
    // 22
    "画像の元になるファイルです"_sjis,
    "it is the file the picture is drawn from",
    // 23
    "取り込むフォントです"_sjis,
    "it is the font being imported",
    // 24
    "画像に描くテキストです"_sjis,
    "it is the text the picture draws",
    // 25
    "このフォルダの Sorvane.ini かそのロック・ファイルで、保存するコマンドしか書きません"_sjis,
    "it is the folder's Sorvane.ini or its lock file, which only the commands that save write",
    // 26
    "他の実行が %1 秒間ロックしていました"_sjis,
    "another run kept it locked for %1 seconds",
    // 27
    "%1 行目が壊れています。Sorvane が書かないバイト 0x1A か NUL があります。そのままにしました。直すか削除してください"_sjis,
    "damaged at line %1: it holds a byte 0x1A or NUL, which Sorvane never writes; it is left as it is: mend or remove it",
    // 28
    "%1 行目が壊れています。Sorvane が書かないバイト 0x1A か NUL があります。その後ろは表示していません"_sjis,
    "damaged at line %1: it holds a byte 0x1A or NUL, which Sorvane never writes; what stands after it is not shown",
    // 29
    "読み取りエラー"_sjis,
    "read error",
    // 30
    "書き込みエラー"_sjis,
    "write error",
    // 31
    "作業フォルダの Sorvane.ini のパスが作れません（%1 バイトより長くありませんか）"_sjis,
    "cannot form the path of Sorvane.ini in the working directory (is it longer than %1 bytes?)",
    // 32
    "警告: %1 文字は 2 バイトの Shift_JIS の形がないので除きました:"_sjis,
    "warning: %1 characters have no two-byte Shift_JIS form and are left out:",
    // 33
    "警告: %1 文字は 2 バイトの Shift_JIS の形がないので除きました。最初の 10 文字:"_sjis,
    "warning: %1 characters have no two-byte Shift_JIS form and are left out; the first ten:",
    // 34
    "登録: %1、検出: %2"_sjis,
    "registered: %1, detected: %2",
    // 35
    "  ほか %1 文字"_sjis,
    "  and %1 more",
    // 36
    "警告: %1 は %3 行のうち %2 行目で終わっています。その後の位置にはグリフがありません"_sjis,
    "warning: %1 ends after line %2 of %3; the positions after it have no glyph",
    // 37
    "警告: %1 には次の登録文字のグリフがありません:"_sjis,
    "warning: %1 has no glyph for these registered characters:",
    // 38
    "SOURCE_DATE_EPOCH が 10 進の秒数ではありません"_sjis,
    "SOURCE_DATE_EPOCH is not a decimal number of seconds",
    // 39
    "SOURCE_DATE_EPOCH が暦の範囲を超えています: %1"_sjis,
    "SOURCE_DATE_EPOCH is beyond the calendar: %1",
    // 40
    "%1: 未登録の文字 %2 文字"_sjis,
    "%1: %2 characters not yet registered",
    // 41
    "%1 ファイル: 未登録の文字 %2 文字"_sjis,
    "%1 files: %2 characters not yet registered",
    // 42
    "%1 は書きませんでした。表がフラッシュを %2 バイト（インデックス表 %3、グリフ表 %4、別キー表 %5、ASCII 表 %6、カナ表 %7、%8 文字）使い、--max-bytes %9 を超えます。前のファイルはそのままです"_sjis,
    "%1 not written: its tables would take %2 bytes of flash (index table %3, glyph table %4, other key table %5, ASCII table %6, kana table %7; %8 characters), more than --max-bytes %9; the last one is left as it was",
    // 43
    "%1 は書きませんでした（--strict）。登録文字のうち %2 文字は %3 にグリフがありません。前のファイルはそのままです"_sjis,
    "%1 not written (--strict): %2 registered characters have no glyph in %3; the last one is left as it was",
    // 44
    "%1 は書きませんでした（--strict）。フォント・ソース・ファイル %2 が読めません。前のファイルはそのままです"_sjis,
    "%1 not written (--strict): the font source file %2 cannot be read; the last one is left as it was",
    // 45
    "%1: %3 の %2 文字、%4 用。インデックス表 %5 バイト、グリフ表 %6 バイト"_sjis,
    "%1: %2 characters of %3 for %4; index table %5 bytes, glyph table %6 bytes",
    // 46
    "フォント: %1"_sjis,
    "font: %1",
    // 47
    "コンパイラ: %1"_sjis,
    "compiler: %1",
    // 48
    "言語: %1"_sjis,
    "language: %1",
    // 49
    "%1:%2: オフセット %3 のバイトはこのエンコーディングの文字ではありません。リストは変えていません"_sjis,
    "%1:%2: the bytes at offset %3 are no character of this encoding; no list changed",
    // 50
    "%1:%2: 文字の途中でファイルが終わっています。リストは変えていません"_sjis,
    "%1:%2: the file ends inside a character; no list changed",
    // 51
    "%1:%2: Sorvane が書いたインクルード・ファイルではありません: %3"_sjis,
    "%1:%2: not an include file written by Sorvane: %3",
    // 52
    "%1: %2 を %3 ドットのグリフで描きました。%4x%5 ピクセル"_sjis,
    "%1: %2 in glyphs of %3 dots, %4x%5 pixels",
    // 53
    "%1: %3 ドットのグリフ %2 個、%4x%5 ピクセル"_sjis,
    "%1: %2 glyphs of %3 dots, %4x%5 pixels",
    // 54
    "%1: グリフ %2 個を取り込みました。JIS X 0208 の 6879 文字のうち、ないものは %3 文字です"_sjis,
    "%1: %2 glyphs taken; the font lacks %3 of the 6879 JIS X 0208 characters",
    // 55
    "%1: グリフ %2 個を取り込みました。JIS X 0208 の 6879 文字のうち %3 文字がありません:"_sjis,
    "%1: %2 glyphs taken; the font lacks %3 of the 6879 JIS X 0208 characters:",
    // 56
    "%1: グリフ %2 個を取り込みました。JIS X 0208 の 6879 文字のうち %3 文字がありません。最初の 10 文字:"_sjis,
    "%1: %2 glyphs taken; the font lacks %3 of the 6879 JIS X 0208 characters, the first ten:",
    // 57
    "警告: %1: セルより大きいグリフ %2 個を端で切りました"_sjis,
    "warning: %1: %2 glyphs larger than the cell were cut at its edges",
    // 58
    "警告: %1: グリフ %2 個が前のグリフと同じ位置にあります（最初は ENCODING %3 (%4)）。後のものを使います"_sjis,
    "warning: %1: %2 glyphs have the position of an earlier glyph, the first at ENCODING %3 (%4); the later one is kept",
    // 59
    "インストールしたフォント・ソース・ファイルのある sorvane-cli のフォルダが見つかりません"_sjis,
    "cannot find the folder of sorvane-cli, where the installed font source files are",
    // 60
    "フォルダではありません"_sjis,
    "not a folder",
    // 61
    "%1: すでにあるので、そのままにしました"_sjis,
    "%1: already there, left as it is",
    // 62
    "%1: %2 からコピーしました"_sjis,
    "%1: copied from %2",
    // 63
    "インストールしたフォント %1 が開けません（%2）。この sorvane-cli にはそこにインストールしたフォントがありません。import-font で作ってください"_sjis,
    "Can't open the installed font %1 (%2): this sorvane-cli has no installed fonts there; make them with import-font.",
    // 64
    "%1%2: %3%4（何も書いていません）"_sjis,
    "%1%2: %3%4; nothing written",
    // 65
    "%1: フォントの高さは %2 ドットで、--size の %3 ではありません。何も書いていません"_sjis,
    "%1: the font is %2 dots high, not the %3 of --size; nothing written",
    // 66
    "%1: JIS X 0208 の位置を持つグリフがありません。何も書いていません"_sjis,
    "%1: no glyph of the font has a JIS X 0208 position; nothing written",
    // 67
    "%1: %3 ドットのグリフ %2 個（%4）"_sjis,
    "%1: %2 glyphs of %3 dots (%4)",
    // 68
    "%1: %3 ドットのグリフ %2 個（%4）。JIS X 0208 にないグリフ %5 個は除きました"_sjis,
    "%1: %2 glyphs of %3 dots (%4), %5 glyphs outside JIS X 0208 left out",
    // 69
    "知らないエンコーディングです: '%1'"_sjis,
    "unknown encoding '%1'",
    // 70
    "--encoding にはエンコーディングの名前が要ります"_sjis,
    "--encoding needs the name of an encoding",
    // 71
    "展開すると %1 MB を超えます。どのフォントよりも大きいです"_sjis,
    "it unpacks to more than %1 MB, larger than any font",
    // 72
    "壊れています: %1"_sjis,
    "it is damaged: %1",
    // 73
    "途中で切れています。gzip の末尾がありません"_sjis,
    "it is cut short: its gzip trailer is missing",
    // 74
    "gzip で圧縮されていますが、このビルドは展開しません。先に gunzip してください"_sjis,
    "it is packed with gzip, which this build does not unpack: gunzip it first",
    // 75
    "zlib が開けません"_sjis,
    "zlib cannot open it",
    // 76
    "フォルダは他の実行が使用中です。終わるのを待って再試行するか、キャンセルしてウィンドウを開いたままにしてください"_sjis,
    "The folder is in use by another run. Retry when it has finished, or cancel to keep the window open.",
    // 77
    "  %1",
    "  %1",
    // 78
    "  %1 (%2)",
    "  %1 (%2)",
    // 79
    "  %1:%2: U+%3 %4",
    "  %1:%2: U+%3 %4",
    // 80
    "detected list: %1 characters detected",
    "detected list: %1 characters detected",
    // 81
    "registered list: %1 characters registered",
    "registered list: %1 characters registered",
    // 82
    "font: %1",
    "font: %1",
    // 83
    "font: %1 (stored as %2)",
    "font: %1 (stored as %2)",
    // 84
    "compiler: %1",
    "compiler: %1",
    // 85
    "compiler: %1 (stored as %2)",
    "compiler: %1 (stored as %2)",
    // 86
    "language: %1",
    "language: %1",
    // 87
    "text file: %1",
    "text file: %1",
    // 88
    "output file: %1",
    "output file: %1",
    // 89
    "settings file: %1",
    "settings file: %1",
    // 90
    "%1:%2: %3",
    "%1:%2: %3",
    // 91
    "%1: 別キー表 %2 バイト、半角グリフ表 %3 バイト（%4 文字）、キー %5"_sjis,
    "%1: other key table %2 bytes, half-width table %3 bytes (%4 glyphs), key %5",
    // 92
    "%1 は書きませんでした。半角フォント・ソース・ファイル %2 が読めません。半角グリフのあるフォントを取り込んでください（import-font、または import-font --half FONT）。前のファイルはそのままです"_sjis,
    "%1 not written: the half-width font source file %2 cannot be read; import a font with half-width glyphs (import-font, or import-font --half FONT); the last one is left as it was",
    // 93
    "%1 は書きませんでした。半角フォント・ソース・ファイル %2 には、求められた半角文字のグリフがありません。前のファイルはそのままです"_sjis,
    "%1 not written: the half-width font source file %2 has no glyph of the half-width characters asked for; the last one is left as it was",
    // 94
    "%1 は書きませんでした（--strict）。%3 では、求められた半角文字のうち %2 文字のグリフが空白です。前のファイルはそのままです"_sjis,
    "%1 not written (--strict): %2 half-width characters asked for have a blank glyph in %3; the last one is left as it was",
    // 95
    "%1: 登録文字のうち %2 文字は Unicode のコード・ポイントがなく、%3 文字は前の文字と同じコード・ポイントです。Unicode キーの表には入れていません"_sjis,
    "%1: %2 registered characters have no Unicode code point and %3 share theirs with an earlier character; the Unicode key leaves them out",
    // 96
    "%1: 半角グリフ %2 文字、高さ %3 ドット"_sjis,
    "%1: %2 half-width glyphs, %3 dots high",
    // 97
    "%1 は高さ %2 ドットで、フォントは %3 ドットです。その半角グリフは取り込みません"_sjis,
    "%1 is %2 dots high and the font %3; its half-width glyphs are not taken",
    // 98
    "%1 には半角グリフ（ASCII の印字文字、半角カタカナ）がありません"_sjis,
    "%1 has no half-width glyph (printable ASCII or half-width katakana)",
    // 99
    "  うち %1 文字は半角カタカナで、半角グリフ表が描きます（generate --half-width kana または all）"_sjis,
    "  %1 of them are half-width katakana, which the half-width table draws (generate --half-width kana or all)",
    // 100
    "%1: オフセット %2 のバイトは %3 の文字ではありません。何も描いていません"_sjis,
    "%1: the bytes at offset %2 are no character of %3; nothing drawn",
    // 101
    "同じ生成で書くインクルード・ファイルです"_sjis,
    "it is the include file the same generation writes",
    // 102
    "%1: フォント・イメージ %2 バイト"_sjis,
    "%1: font image of %2 bytes",
    // 103
    "%1 はフラッシュを %2 バイト（ヘッダ %3、インデックス表 %4、グリフ表 %5、別キー表 %6、ASCII 表 %7、カナ表 %8）使い、--max-bytes %9 を超えます。イメージもインクルード・ファイルも書きませんでした。前のファイルはそのままです"_sjis,
    "the image %1 would take %2 bytes of flash (header %3, index table %4, glyph table %5, other key table %6, ASCII table %7, kana table %8), more than --max-bytes %9; neither it nor the include file is written, the last ones are left as they were",
    // 104
    "%1 は書きませんでした。%2:%3 のグリフは行の値が %4 個ですが、%5 の半角グリフは %6 個です（別の大きさのフォントの半角グリフでは？）。前のファイルはそのままです"_sjis,
    "%1 not written: %2:%3 holds a glyph of %4 row values, and a half-width glyph of %5 has %6 (half-width glyphs of another size?); the last one is left as it was",
    // 105
    "%1 は書きませんでした。%2:%3 には、%5 の半角グリフの幅 %4 ドットに収まらない行の値があります（別の大きさのフォントの半角グリフでは？）。前のファイルはそのままです"_sjis,
    "%1 not written: %2:%3 holds a row value wider than the %4 dots of a half-width glyph of %5 (half-width glyphs of another size?); the last one is left as it was",
    // 106
    "警告: %1 には、求められた次の半角文字のグリフがありません（空白で描かれます）:"_sjis,
    "warning: %1 has no glyph for these half-width characters asked for (they draw as blanks):",
    // 107
    "%1 と %2 は別々の生成のものでした（%2 は %1 が名指すイメージではありません）。両方を新しく書きます"_sjis,
    "%1 and %2 were of two generations (%2 is not the image that %1 names); both are written anew",
    // 108
    "シンボリック・リンクで、ファイルではありません"_sjis,
    "a symbolic link, not a file",
    // 109
    "フォルダのロック・ファイルが使えません。何も変えていません"_sjis,
    "Can't use the folder's lock file; nothing is changed.",
    // 110
    "フォルダのロック・ファイルが使えません。ウィンドウを閉じるときに使えるようになっていれば、設定を保存します"_sjis,
    "Can't use the folder's lock file. The window saves its settings at its close only if the lock file can be used by then.",
    // 111
    "フォルダのロック・ファイルが使えないので、設定を保存できません。直してから再試行するか、キャンセルしてウィンドウを開いたままにしてください"_sjis,
    "Can't use the folder's lock file, so the settings can't be saved. Mend it and retry, or cancel to keep the window open.",
    // 112
    "%1: %2 の %7 文字のうち最初の %6 文字（幅 %8 ピクセルに収まるだけ）を %3 ドットのグリフで描きました。%4x%5 ピクセル"_sjis,
    "%1: the first %6 of the %7 characters of %2 (as many as fit in %8 pixels) in glyphs of %3 dots, %4x%5 pixels",
    // 113
    "half-width: %1",
    "half-width: %1",
    // 114
    "key: %1",
    "key: %1",
    // 115
    "image: %1",
    "image: %1",
    // 116
    "name: %1",
    "name: %1",
    // 117
    "--name %1: フォントの名前は %2 文字までの C の識別子です（英字、数字と _ で、数字で始まらないもの）"_sjis,
    "--name %1: a font's name is a C identifier of at most %2 characters (letters, digits and _, not beginning with a digit)",
    // 118
    "--name %1: C か C++ のキーワード、予約された名前、またはインクルード・ファイルかリーダーが自ら使う名前で、フォントの名前にはなりません"_sjis,
    "--name %1: it is a keyword of C or C++, a reserved name, or a name the include file or the reader uses itself, and can't name a font",
    // 119
    "compress: %1",
    "compress: %1",
    // 120
    "%1 は書きませんでした。表がフラッシュを %2 バイト（インデックス表 %3、別キー表 %4、全角グリフ %5、半角グリフ %6、%7 文字）使い、--max-bytes %8 を超えます。前のファイルはそのままです"_sjis,
    "%1 not written: its tables would take %2 bytes of flash (index table %3, other key table %4, full-width glyphs %5, half-width glyphs %6; %7 characters), more than --max-bytes %8; the last one is left as it was",
    // 121
    "%1 はフラッシュを %2 バイト（ヘッダ %3、インデックス表 %4、別キー表 %5、全角グリフ %6、半角グリフ %7）使い、--max-bytes %8 を超えます。イメージもインクルード・ファイルも書きませんでした。前のファイルはそのままです"_sjis,
    "the image %1 would take %2 bytes of flash (header %3, index table %4, other key table %5, full-width glyphs %6, half-width glyphs %7), more than --max-bytes %8; neither it nor the include file is written, the last ones are left as they were",
    // 122
    "%1: 圧縮した全角グリフはモデル %2、開始表 %3、グリフ %4 バイト、半角グリフはモデル %5、開始表 %6、グリフ %7 バイト（生のままの組は 0）"_sjis,
    "%1: the compressed full-width glyphs take model %2, starts %3 and packed glyphs %4 bytes; the half-width ones model %5, starts %6 and packed glyphs %7 bytes (0 for a set left raw)",
    // 123
    "%1: %2 は 0 です。圧縮してもバイトが減らないので、そのグリフは生のまま書きました"_sjis,
    "%1: %2 is 0: compressed, those glyphs would take no fewer bytes, so they are written raw",
    // 124
    "%1 文字、%2: 生成の各方法が書くバイト数（* は保持された選択で generate が書くもの）"_sjis,
    "%1 characters of %2: the bytes each way of generating writes (* what generate writes with the kept choices)",
    // 125: the table's columns, between tabs
    "\t出力\tグリフ\t--half-width\t--key\tバイト\t--max-bytes"_sjis,
    "\toutput\tglyphs\t--half-width\t--key\tbytes\t--max-bytes",
    // 126: include file, image, raw, compressed, fits, does not fit; between tabs
    "インクルード・ファイル\tイメージ\t無圧縮\t圧縮\t収まる\t超える"_sjis,
    "include file\timage\traw\tcompressed\tfits\tover",
    // 127
    "%1 が読めないか半角グリフがないので、半角グリフのある方法は数えません"_sjis,
    "%1 cannot be read or holds no half-width glyphs: the ways with them are not counted",
    // 128
    "%2 の方法のうち %1 が --max-bytes %3 に収まります"_sjis,
    "%1 of the %2 ways fit --max-bytes %3",
};

}  // namespace

const char* message_text(int message, int language) {
    if (message < 0 || message >= message_count) return "";
    return message_table[static_cast<std::size_t>(2 * message + (language == 1 ? 1 : 0))];
}

}  // namespace sorvane
