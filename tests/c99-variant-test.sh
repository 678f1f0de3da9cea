#!/bin/bash
# The c99 variant of the include file, compiled clean by every compiler within reach: gcc
# and clang in strict C99 and C11 with plain char signed and unsigned, g++ and clang++ in
# C++17, the Cortex-M and MIPS cross compilers, tcc, and sdcc for the 8051 and the STM8.
# Each font, with no character, one, and every character; and a C file beside a C++ file
# linked against the one object that includes it.
#
# usage: c99-variant-test.sh SORVANE_CLI   (compilers that are not installed are named and skipped)
set -u
cli=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir" || exit 1
failures=0
fail() {
  echo "c99 test: $*" >&2
  failures=$((failures + 1))
}

strict="-pedantic -Wall -Wextra -Wconversion -Werror"
compilers=(
  "gcc -std=c99 $strict -fsigned-char" "gcc -std=c11 $strict -funsigned-char"
  "clang -std=c99 $strict -funsigned-char" "clang -std=c11 $strict -fsigned-char"
  "g++ -x c++ -std=c++17 -pedantic -Wall -Wextra -Werror" "clang++ -x c++ -std=c++17 -pedantic -Wall -Wextra -Werror"
  "arm-none-eabi-gcc -mcpu=cortex-m4 -mthumb -std=c99 $strict"
  "mipsel-linux-gnu-gcc -std=c99 $strict -fsigned-char"
  "tcc -Wall -Werror"
  "sdcc -mmcs51 --std-c99 --model-large" "sdcc -mstm8 --std-c99"
)

# Every grid position as Shift_JIS text, for the list of every character.
LC_ALL=C awk 'BEGIN { for (l = 129; l <= 239; l++) { if (l > 159 && l < 224) continue;
  for (t = 64; t <= 252; t++) if (t != 127) printf "%c%c", l, t } }' >all.txt
printf '\212\277' >one.txt
for font in k14 jiskan16 jiskan24; do
  "$cli" import-font "/usr/share/fonts/X11/misc/$font.pcf.gz" >/dev/null 2>&1 || fail "import of $font"
done
"$cli" compiler c99 >/dev/null
files=()
for font in k14 jiskan16 jiskan24; do
  "$cli" font "$font" >/dev/null
  "$cli" clear >/dev/null
  "$cli" generate "$font-none.inc" >/dev/null
  "$cli" scan --add one.txt >/dev/null
  "$cli" generate "$font-one.inc" >/dev/null
  "$cli" scan --add all.txt >/dev/null
  "$cli" generate "$font-all.inc" >/dev/null 2>&1
  files+=("$font-none.inc" "$font-one.inc" "$font-all.inc")
done

for compiler in "${compilers[@]}"; do
  name=${compiler%% *}
  if ! command -v "$name" >/dev/null; then
    echo "c99 test: $name is not installed; skipped"
    continue
  fi
  # sdcc's 8-bit targets hold no more than 64 KB: the list of every character is for the others.
  for inc in "${files[@]}"; do
    case "$name:$inc" in sdcc:*-all.inc) continue ;; esac
    printf '#include "%s"\nint glyphs(void) { return FONT_KANJI_NUM + font_kanji_index[0] + font_kanji[0][0]; }\n' "$inc" >unit.c
    # shellcheck disable=SC2086
    (cd "$dir" && $compiler -c unit.c -o unit.o >out.txt 2>&1) || fail "$compiler on $inc: $(head -5 out.txt)"
  done
done

# A C file and a C++ file use the tables of the one object that includes the file.
printf '#include "jiskan16-one.inc"\n' >font.c
printf 'extern const unsigned short font_kanji_index[];\nunsigned short first_code(void) { return font_kanji_index[0]; }\n' >user.c
printf 'extern "C" const unsigned short font_kanji_index[];\nextern "C" unsigned short first_code(void);\n%s\n' \
  'int main() { return first_code() == 0x8abf && font_kanji_index[0] == 0x8abf ? 0 : 1; }' >main.cpp
if gcc -c font.c user.c && g++ -c main.cpp && g++ font.o user.o main.o -o linked && ./linked; then
  :
else
  fail "a C file and a C++ file do not link against the tables"
fi

[ "$failures" = 0 ] && echo "c99 test: ${#compilers[@]} compilers on ${#files[@]} include files, all clean; C and C++ link"
exit $((failures > 0))
