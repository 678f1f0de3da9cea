#!/bin/sh
# The Debian package as a user gets it. Builds it, unpacks it with dpkg-deb -x into a
# temporary root and works from there: init, scan, add and generate, which must write the
# include file the build's own program writes. Then a small firmware project finds the
# package with find_package(Sorvane) and builds for a Cortex-M with gcc-arm-none-eabi, with
# the package's firmware reader, its include file made by sorvane_add_font: again when a
# message file changes, the same bytes from a clean build, and a failed build past MAX_BYTES.
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
get_target_property(font_file lcd_font SORVANE_OUTPUT)
add_executable(lcd_demo.elf \${SORVANE_FIRMWARE_DIR}/sorvane_font.c $top/examples/lcd_demo.c)
target_include_directories(lcd_demo.elf PRIVATE \${SORVANE_FIRMWARE_DIR})
target_compile_definitions(lcd_demo.elf PRIVATE SORVANE_FONT_FILE="\${font_file}")
set_source_files_properties(\${SORVANE_FIRMWARE_DIR}/sorvane_font.c PROPERTIES OBJECT_DEPENDS "\${font_file}")
add_dependencies(lcd_demo.elf lcd_font)
CMAKE
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
exit "$status"
