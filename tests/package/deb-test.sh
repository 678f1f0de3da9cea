#!/bin/sh
# The Debian package as a user gets it. Builds it, unpacks it with dpkg-deb -x into a
# temporary root and works from there: init, scan, add and generate, which must write the
# include file the build's own program writes. Then a small firmware project finds the
# package with find_package(Sorvane) and builds for a Cortex-M with gcc-arm-none-eabi, with
# the package's firmware reader, its font made by sorvane_add_font: again when a message
# file changes, the same bytes from a clean build, and a failed build past MAX_BYTES. Last,
# a host program of two fonts made by sorvane_add_font (K14 and jiskan24, two keys) links
# one reader and draws with both.
#
#   tests/package/deb-test.sh BUILD
set -eu
build=$(cd "$1" && pwd)
top=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/sorvane-deb.XXXXXX")
trap 'rm -rf "$work"' EXIT
. "$top/tests/package/package-test.sh"
deb="$build/sorvane_${version}_amd64.deb"
build_package "$build" "$deb"
dpkg-deb -x "$deb" "$work/root"
for file in usr/bin/sorvane-cli usr/share/sorvane/Sorvane.K14 usr/share/sorvane/Sorvane.J16 \
    usr/share/sorvane/Sorvane.J24 usr/share/sorvane/Sorvane.H14 usr/share/sorvane/Sorvane.H16 \
    usr/share/sorvane/Sorvane.H24 usr/share/sorvane/firmware/sorvane_font.c \
    usr/share/sorvane/firmware/sorvane_font.h usr/share/sorvane/firmware/sorvane_image.c \
    usr/share/sorvane/firmware/sorvane_target.c usr/share/sorvane/firmware/sorvane_font_file.c \
    usr/share/sorvane/firmware/sorvane_cell.h usr/share/man/man1/sorvane-cli.1.gz \
    usr/share/bash-completion/completions/sorvane-cli usr/share/cmake/Sorvane/SorvaneConfig.cmake; do
  [ -s "$work/root/$file" ] || fail "the package lacks /$file"
done
zcat "$work/root/usr/share/man/man1/sorvane-cli.1.gz" | grep -q "^\.TH SORVANE-CLI 1 \"\" \"Sorvane R$version\"" ||
  fail "the man page does not name the release"
depends=$(dpkg-deb -f "$deb" Depends)
case $depends in *libc6*libfreetype6*libstdc++6*) ok "it depends on $depends" ;; *) fail "its dependencies: $depends" ;; esac

# Bash completion offers every command the program has, and the choices of one.
complete_words() {  # WORDS...: what completion offers for the last of them; it asks the program
  PATH="$work/root/usr/bin:$PATH" bash -c '. /usr/share/bash-completion/bash_completion; . "$0"; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
    COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}; _sorvane_cli; printf "%s\n" "${COMPREPLY[@]}"' \
    "$work/root/usr/share/bash-completion/completions/sorvane-cli" "$@" | sort | tr '\n' ' '
}
commands=$("$work/root/usr/bin/sorvane-cli" --help | sed -n '/^Commands:/,/^Options:/p' | awk '/^  [a-z]/ { print $1 }' |
  sort | tr '\n' ' ')
offered=$(complete_words sorvane-cli "" | tr ' ' '\n' | grep -v '^-' | tr '\n' ' ')
if [ "$offered" = "$commands" ] && [ "$(complete_words sorvane-cli -C x compiler "")" = "c99 cc-rh xc32 " ]; then
  ok "bash completion offers the program's commands and their choices"
else
  fail "bash completion offers '$offered' for the commands '$commands'"
fi

# A first session from the unpacked root, beside the same with the build's program.
cli="$work/root/usr/bin/sorvane-cli"
[ "$("$cli" --version)" = "sorvane-cli R$version" ] || fail "--version says $("$cli" --version)"
session() {
  "$1" init "$2" >/dev/null
  "$1" -C "$2" scan "$top/samples/device-messages.txt" >/dev/null
  "$1" -C "$2" add >/dev/null
  "$1" -C "$2" font jiskan16 >/dev/null
  SOURCE_DATE_EPOCH=1767225600 "$1" -C "$2" generate Font.inc >/dev/null
}
session "$cli" "$work/deb"
mkdir -p "$work/own"
cp "$build"/share/sorvane/Sorvane.* "$work/own/"
session "$build/sorvane-cli" "$work/own"
if cmp -s "$work/deb/Font.inc" "$work/own/Font.inc"; then
  ok "the unpacked sorvane-cli writes the include file of the build's own"
else
  fail "the unpacked sorvane-cli writes another include file"
fi
grep -q '#define FONT_KANJI_NUM' "$work/deb/Font.inc" || fail "no include file from the unpacked root"

# The README's first session, exactly as written, in a project of UTF-8 message files.
first=$(readme_block "A first session, in a folder of its own" sh)
mkdir -p "$work/project/src/messages"
iconv -f CP932 -t UTF-8 "$top/samples/device-messages.txt" >"$work/project/src/messages/device.txt"
printf 'ALARM \346\274\242\n' >"$work/project/src/messages/alarm.txt"
(cd "$work/project" && PATH="$work/root/usr/bin:$PATH" sh -e -c "$first") >"$work/first.log" 2>&1 || true
written=$(awk '/^#define FONT_KANJI_NUM/ { print $3 }' "$work/project/src/Font.inc" 2>/dev/null | tr -d '\r')
registered=$("$cli" -C "$work/project/font" show 2>/dev/null | sed -n 's/^registered list: \([0-9]*\).*/\1/p')
if [ -n "$first" ] && [ "${written:-0}" -gt 100 ] && [ "$written" = "$registered" ]; then
  ok "the README's first session, as written, writes src/Font.inc of the $written characters of the messages"
else
  cat "$work/first.log"
  fail "the README's first session, as written, wrote ${written:-no} characters ($registered registered)"
fi

# A firmware project that builds its font with sorvane_add_font.
mkdir -p "$work/firmware"
cp "$top/samples/device-messages.txt" "$work/firmware/messages.txt"
cat >"$work/firmware/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.16)
project(lcd_demo C)
find_package(Sorvane $version REQUIRED)
sorvane_add_font(lcd_font MESSAGES messages.txt FONT jiskan16 COMPILER c99 STRICT MAX_BYTES \${LIMIT}
                 IMAGE font/lcd.bin)
add_executable(lcd_demo.elf lcd.c)
target_link_libraries(lcd_demo.elf PRIVATE lcd_font)
CMAKE
# The font of the target's name into an SSD1306 page buffer, as examples/lcd_demo.c draws.
cat >"$work/firmware/lcd.c" <<'C'
#include "sorvane_font.h"

extern const sorvane_font lcd_font;

static unsigned char frame[8][128];
static const char ready[] = "\x8f\x80\x94\xf5\x8a\xae\x97\xb9"; /* 準備完了 */
volatile unsigned char *const lcd_data = (volatile unsigned char *)0x60000000;

int main(void) {
    sorvane_target lcd;
    int page, x;
    sorvane_target_buffer(&lcd, frame, 128, 64, SORVANE_PAGES);
    sorvane_draw_sjis(&lcd_font, ready, 0, 0, &lcd);
    for (page = 0; page < 8; ++page)
        for (x = 0; x < 128; ++x) *lcd_data = frame[page][x];
    return 0;
}
C
cat >"$work/firmware/cortex-m3.cmake" <<'CMAKE'
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_C_COMPILER arm-none-eabi-gcc)
set(CMAKE_C_FLAGS_INIT "-mcpu=cortex-m3 -mthumb -std=c99 -Os -Wall -Wextra -Werror -Wno-unknown-pragmas")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-specs=nano.specs -specs=nosys.specs")
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
CMAKE
firmware() {  # BUILD_FOLDER LIMIT
  cmake -S "$work/firmware" -B "$1" -DCMAKE_TOOLCHAIN_FILE="$work/firmware/cortex-m3.cmake" \
    -DCMAKE_PREFIX_PATH="$work/root/usr" -DLIMIT="$2" >"$1.log" 2>&1 &&
    cmake --build "$1" >>"$1.log" 2>&1
}
inc="$work/fw1/lcd_font/Font.inc"
if firmware "$work/fw1" 100000; then
  flash=0
  for size in $(arm-none-eabi-nm -S "$work/fw1/lcd_demo.elf" | awk '$4 ~ /^font_kanji(_index)?$/ { print $2 }'); do
    flash=$((flash + 0x$size))
  done
  count=$(sed -n 's/^#define FONT_KANJI_NUM[ \t]*\([0-9]*\).*/\1/p' "$inc")
  ok "the firmware builds with sorvane_add_font: $count characters of jiskan16, $flash bytes of font tables in the ELF"
else
  cat "$work/fw1.log"
  fail "the firmware does not build with sorvane_add_font"
fi
first=$(cat "$inc" 2>/dev/null || true)

# A character more in the messages: the next build writes the include file again.
printf '\237\124\n' >>"$work/firmware/messages.txt"  # 鬱
cmake --build "$work/fw1" >>"$work/fw1.log" 2>&1 || fail "the rebuild after a message changed failed"
if [ "$(cat "$inc")" != "$first" ] && grep -q '0x9f54' "$inc"; then
  ok "a changed message file makes the include file again"
else
  fail "the include file was not made again when a message file changed"
fi

# The same messages, a clean build: the same bytes.
if firmware "$work/fw2" 100000 && cmp -s "$inc" "$work/fw2/lcd_font/Font.inc"; then
  ok "a clean build writes the same include file, byte for byte"
else
  fail "a clean build writes another include file"
fi
if [ "$(head -c 7 "$work/fw1/font/lcd.bin" 2>/dev/null)" = SORVANE ] && cmp -s "$work/fw1/font/lcd.bin" "$work/fw2/font/lcd.bin"; then
  ok "IMAGE writes the font's image beside it, the same bytes from a clean build"
else
  fail "IMAGE did not write the same image in both builds"
fi

# MAX_BYTES too small: the build fails and says why, and the next build does not take the
# include file for up to date. (generate leaves the last file as it was; CMake's makefiles
# then remove the output of any step that failed.)
if firmware "$work/fw2" 100; then
  fail "the build passed with MAX_BYTES 100"
elif grep -q -e '--max-bytes 100' "$work/fw2.log" && ! cmake --build "$work/fw2" >"$work/again.log" 2>&1 &&
    grep -q -e '--max-bytes 100' "$work/again.log"; then
  ok "past MAX_BYTES the build fails, says the size, and fails again on the next build"
else
  cat "$work/fw2.log" "$work/again.log"
  fail "past MAX_BYTES the build did not fail as it should"
fi

# Two fonts in one host program: K14 keyed by Shift_JIS with every half-width glyph, and
# jiskan24 keyed by Unicode, each a target of sorvane_add_font; the reader compiled once.
mkdir -p "$work/two"
printf '\212\277\216\232\n' >"$work/two/labels.txt"                 # 漢字 in Shift_JIS
printf '\346\274\242\345\255\227\n' >"$work/two/figures.txt"      # 漢字 in UTF-8
cat >"$work/two/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.16)
project(two_fonts C)
find_package(Sorvane $version REQUIRED)
sorvane_add_font(labels MESSAGES labels.txt FONT k14 COMPILER c99 HALF_WIDTH all NAME small)
sorvane_add_font(figures MESSAGES figures.txt ENCODING utf-8 FONT jiskan24 COMPILER c99 KEY unicode NAME large)
add_executable(two two.c)
target_link_libraries(two PRIVATE labels figures)
CMAKE
cat >"$work/two/two.c" <<'C'
#include <stdio.h>
#include "sorvane_font.h"

extern const sorvane_font small;
extern const sorvane_font large;

static unsigned char rows[32][8]; /* 64 x 32 dots */

/* Draws text into a cleared buffer: its width, then how many dots it set. */
static void draw(const sorvane_font *font, const char *text) {
    sorvane_target target;
    int x, y, set = 0, width;
    for (y = 0; y < 32; ++y)
        for (x = 0; x < 8; ++x) rows[y][x] = 0;
    sorvane_target_buffer(&target, rows, 64, 32, SORVANE_ROWS_MSB);
    width = sorvane_draw_utf8(font, text, 0, 0, &target);
    for (y = 0; y < 32; ++y)
        for (x = 0; x < 64; ++x) set += (rows[y][x / 8] >> (7 - x % 8)) & 1;
    printf("%d %d %d\n", width, sorvane_missing_utf8(font, text), set > 0);
}

int main(void) {
    draw(&small, "\xe6\xbc\xa2\xe5\xad\x97" "A");
    draw(&large, "\xe6\xbc\xa2\xe5\xad\x97");
    return 0;
}
C
if cmake -S "$work/two" -B "$work/two-build" -DCMAKE_PREFIX_PATH="$work/root/usr" >"$work/two.log" 2>&1 &&
    cmake --build "$work/two-build" >>"$work/two.log" 2>&1 &&
    [ "$("$work/two-build/two" | tr '\n' ' ')" = "35 0 1 48 0 1 " ] &&
    [ "$(find "$work/two-build" -name 'sorvane_font.c.o' | wc -l)" = 1 ]; then
  ok "two fonts of sorvane_add_font link into one program, with one reader, and both draw"
else
  cat "$work/two.log"
  "$work/two-build/two" || true
  fail "two fonts of sorvane_add_font do not draw in one program with one reader"
fi
exit "$status"
