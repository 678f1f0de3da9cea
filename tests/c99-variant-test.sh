#!/bin/bash
# The c99 variant of the include file, compiled clean by every compiler within reach: gcc
# and clang (14 and 16, which checks that comments are UTF-8) in strict C99 and C11 with
# plain char signed and unsigned, g++ and clang++ in C++17, the Cortex-M and MIPS cross
# compilers, tcc, avr-gcc (16-bit int), and sdcc for the 8051 and the STM8. Each font, with no character, one, and
# every character, plain and with every half-width glyph and a Unicode key; the firmware
# reader compiled against each of them; and a C file beside a C++ file linked against the
# one object that includes it, the C++ file drawing with the reader. A file made with a
# name (generate --name), in each variant, is a translation unit of its own, in C and in
# C++, whose one external symbol is its font; the c99 ones go through every compiler too.
#
# Every compiler is required (scripts/install-deps.sh test installs them), and every step
# that makes a file must succeed.
# usage: c99-variant-test.sh SORVANE_CLI
set -u
reader=$(cd "$(dirname "$0")/../firmware" && pwd)
. "$(dirname "$0")/steps.sh" "c99 test" "$1"

strict="-pedantic -Wall -Wextra -Wconversion -Werror"
compilers=(
  "gcc -std=c99 $strict -fsigned-char" "gcc -std=c11 $strict -funsigned-char"
  "clang -std=c99 $strict -funsigned-char" "clang -std=c11 $strict -fsigned-char"
  "clang-16 -std=c99 $strict -fsigned-char"
  "g++ -x c++ -std=c++17 -pedantic -Wall -Wextra -Werror" "clang++ -x c++ -std=c++17 -pedantic -Wall -Wextra -Werror"
  "arm-none-eabi-gcc -mcpu=cortex-m4 -mthumb -std=c99 $strict"
  "mipsel-linux-gnu-gcc -std=c99 $strict -fsigned-char"
  "tcc -Wall -Werror" "avr-gcc -mmcu=atmega2560 -std=c99 $strict"
  "sdcc -mmcs51 --std-c99 --model-large" "sdcc -mstm8 --std-c99"
)

# Every grid position as Shift_JIS text, for the list of every character.
LC_ALL=C awk 'BEGIN { for (l = 129; l <= 239; l++) { if (l > 159 && l < 224) continue;
  for (t = 64; t <= 252; t++) if (t != 127) printf "%c%c", l, t } }' >all.txt || fail "awk made no text"
printf '\212\277' >one.txt || fail "printf made no text"
x11=/usr/share/fonts/X11/misc
for pair in k14:7x14-JISX0201.1976-0 jiskan16:8x16rk jiskan24:12x24rk; do
  must "$cli" import-font "$x11/${pair%%:*}.pcf.gz" --half "$x11/${pair#*:}.pcf.gz"
done
must "$cli" compiler c99
files=()
plain="--half-width none --key none --no-compress"  # generate keeps the choices of the one before
# The kanji of JIS level 1 (rows 16 to 47), in Shift_JIS.
LC_ALL=C awk 'BEGIN { for (ku = 16; ku <= 47; ku++) for (ten = 1; ten <= (ku == 47 ? 51 : 94); ten++) {
  j1 = ku + 32; j2 = ten + 32; lead = int((j1 + 1) / 2) + (j1 <= 94 ? 112 : 176)
  trail = j1 % 2 ? j2 + (j2 >= 96 ? 32 : 31) : j2 + 126; printf "%c%c", lead, trail } }' >level1.txt ||
  fail "awk made no text"
for font in k14 jiskan16 jiskan24; do
  must "$cli" font "$font"
  must "$cli" clear
  must "$cli" generate "$font-none.inc" $plain
  must "$cli" generate "$font-none-half.inc" --half-width all --key unicode
  must "$cli" scan --add one.txt
  must "$cli" generate "$font-one.inc" $plain
  must "$cli" generate "$font-one-half.inc" --half-width all --key unicode
  must "$cli" generate "$font-one-packed.inc" --compress
  # The tables of the level-1 kanji compressed, as a Cortex-M object holds them, in bytes a
  # character (key, starts, glyph and model) within the goal of each font.
  must "$cli" clear
  must "$cli" scan --add level1.txt
  must "$cli" generate "$font-level1.inc" $plain --compress
  grep -q "FONT_KANJI_NUM.*2965" "$font-level1.inc" || fail "$font-level1.inc holds not the 2,965 kanji"
  arm-none-eabi-gcc -mcpu=cortex-m3 -mthumb -Os -c -x c "$font-level1.inc" -o level1.o || fail "$font-level1.inc does not compile"
  case $font in k14) goal=19.0 ;; jiskan16) goal=21.5 ;; *) goal=38.0 ;; esac
  arm-none-eabi-size level1.o | awk -v g="$goal" 'NR == 2 { print "c99 test: level 1:", ($1 + $2) / 2965, "bytes a character"; exit !(($1 + $2) / 2965 <= g) }' ||
    fail "$font: the level-1 kanji compressed take more than $goal bytes a character"
  must "$cli" scan --add all.txt
  must "$cli" generate "$font-all.inc" $plain
  must "$cli" generate "$font-all-half.inc" --half-width all --key unicode
  must "$cli" generate "$font-all-packed.inc" --compress
  grep -q "FONT_HALF_COMPRESSED.1" "$font-all-packed.inc" || fail "$font-all-packed.inc: the half-width glyphs are not compressed"
  files+=("$font-none.inc" "$font-one.inc" "$font-all.inc" "$font-none-half.inc" "$font-one-half.inc" "$font-all-half.inc"
    "$font-one-packed.inc" "$font-all-packed.inc")
done

# Named files of each variant: no character, one, and one with every half-width glyph, a
# Unicode key and an image; the name is kept until --no-name.
named=()
must "$cli" font k14
for variant in xc32 cc-rh c99; do
  must "$cli" compiler "$variant"
  must "$cli" clear
  must "$cli" generate "named-$variant-none.inc" --name font_none $plain --no-image
  must "$cli" scan --add one.txt
  must "$cli" generate "named-$variant-one.inc" --name font_one
  must "$cli" generate "named-$variant-half.inc" --half-width all --key unicode --image "named-$variant.bin"
  must "$cli" generate "named-$variant-packed.inc" --compress
  must "$cli" generate plain.inc --no-name $plain --no-image
  grep -q sorvane_font plain.inc && fail "--no-name still names the font"
  named+=("named-$variant-none.inc:font_none" "named-$variant-one.inc:font_one" "named-$variant-half.inc:font_one"
    "named-$variant-packed.inc:font_one")
done
must "$cli" compiler c99
for pair in "${named[@]}"; do
  inc=${pair%%:*} font=${pair#*:}
  case $inc in named-c99-*) files+=("$inc") ;; esac
  # XC32 and CC-RH keep their pragmas and XC32 its char glyphs, of unsigned values.
  other=""
  case $inc in named-c99-*) ;; *) other="-Wno-unknown-pragmas -funsigned-char" ;; esac
  for compiler in "cc -std=c99 -Wall -Wextra -Wpedantic -Werror -x c" "c++ -std=c++11 -pedantic -Wall -Wextra -Werror -x c++"; do
    # shellcheck disable=SC2086
    if ! $compiler $other -I"$reader" -c "$inc" -o named.o >out.txt 2>&1; then
      fail "$compiler on $inc: $(head -5 out.txt)"
    elif [ "$(nm -g --defined-only named.o | awk '{ print $NF }')" != "$font" ] || [ -n "$(nm -u named.o)" ]; then
      fail "$compiler on $inc: the external symbols are not $font alone: $(nm -g named.o | head -5)"
    fi
  done
done

for compiler in "${compilers[@]}"; do
  name=${compiler%% *}
  if ! command -v "$name" >/dev/null; then
    fail "$name is not installed: scripts/install-deps.sh test installs it"
    continue
  fi
  # sdcc's 8-bit targets and the AVR hold no more than 64 KB (32 KB in one array): the list of
  # every character is for the others.
  for inc in "${files[@]}"; do
    case "$name:$inc" in sdcc:*-all*.inc | avr-gcc:*-all*.inc) continue ;; esac
    # A named file is the whole translation unit: a one-line C file includes it.
    case $inc in
      named-*) printf '#include "%s"\n' "$inc" >unit.c ;;
      *-packed.inc) printf '#include "%s"\n#if FONT_COMPRESSED\n#define FIRST font_kanji_packed[0]\n#else\n#define FIRST font_kanji[0][0]\n#endif\n%s\n' \
        "$inc" 'int glyphs(void) { return (int)(FONT_KANJI_NUM + font_kanji_index[0] + FIRST); }' >unit.c ;;
      *) printf '#include "%s"\nint glyphs(void) { return (int)(FONT_KANJI_NUM + font_kanji_index[0] + font_kanji[0][0]); }\n' "$inc" >unit.c ;;
    esac || fail "printf made no unit.c"
    # shellcheck disable=SC2086
    (cd "$dir" && $compiler -I"$reader" -c unit.c -o unit.o >out.txt 2>&1) || fail "$compiler on $inc: $(head -5 out.txt)"
  done
done

# The firmware reader, in the strictest C of gcc and clang 16, and its font of each include file.
for compiler in "gcc -std=c99 $strict" "clang-16 -std=c99 $strict"; do
  for source in sorvane_font sorvane_image sorvane_target sorvane_unpack; do
    # shellcheck disable=SC2086
    $compiler -I"$reader" -c "$reader/$source.c" -o reader.o >out.txt 2>&1 || fail "$source.c with $compiler: $(head -5 out.txt)"
  done
  for inc in "${files[@]}"; do
    case $inc in named-*) continue ;; esac
    # shellcheck disable=SC2086
    $compiler -I"$reader" -DSORVANE_FONT_FILE="\"$dir/$inc\"" -c "$reader/sorvane_font_file.c" -o reader.o >out.txt 2>&1 ||
      fail "the font of $inc with $compiler: $(head -5 out.txt)"
  done
done

# A C file and a C++ file use the tables of the one object that includes the file.
{ printf '#include "jiskan16-one.inc"\n' >font.c &&
  printf 'extern const unsigned short font_kanji_index[];\nunsigned short first_code(void) { return font_kanji_index[0]; }\n' >user.c &&
  printf 'extern "C" const unsigned short font_kanji_index[];\nextern "C" unsigned short first_code(void);\n%s\n' \
    'int main() { return first_code() == 0x8abf && font_kanji_index[0] == 0x8abf ? 0 : 1; }' >main.cpp; } || fail "printf made no C file"
if gcc -c font.c user.c && g++ -c main.cpp && g++ font.o user.o main.o -o linked && ./linked; then
  :
else
  fail "a C file and a C++ file do not link against the tables"
fi
# C++ firmware draws with the reader, compiled as C, through its header alone.
printf '#include "sorvane_font.h"\nextern "C" const sorvane_font sorvane_file_font;\n%s\n' \
  'int main() { return sorvane_draw_utf8(&sorvane_file_font, "ABC", 0, 0, nullptr) == 24 ? 0 : 1; }' >draw.cpp ||
  fail "printf made no draw.cpp"
if gcc -std=c99 -I"$reader" -DSORVANE_FONT_FILE="\"$dir/jiskan16-one-half.inc\"" -c "$reader/sorvane_font.c" "$reader/sorvane_image.c" \
    "$reader/sorvane_target.c" "$reader/sorvane_font_file.c" && g++ -std=c++17 -Wall -Wextra -Werror -I"$reader" -c draw.cpp &&
    g++ sorvane_font.o sorvane_image.o sorvane_target.o sorvane_font_file.o draw.o -o drawn && ./drawn; then
  :
else
  fail "C++ firmware does not link against the reader"
fi

[ "$failures" = 0 ] && echo "c99 test: ${#compilers[@]} compilers on ${#files[@]} include files, all clean; C and C++ link"
exit $((failures > 0))
