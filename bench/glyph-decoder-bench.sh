#!/bin/sh
# The cost of the glyph decoder (firmware/sorvane_unpack.c) on small machines, for a sample
# of the kanji of JIS level 1 of jiskan16 (and K14 and jiskan24 beside it), each checked
# against its cell:
#   - its code in bytes: Thumb-2 (arm-none-eabi-gcc -Os -mthumb -mcpu=cortex-m3) and AVR;
#   - cycles a glyph on an ATmega2560 under simavr (Timer1 at the CPU clock), mean and most;
#   - instructions a glyph on a Cortex-M3 under qemu-system-arm (mps2-an385), counted one
#     instruction a translation block (-singlestep -d exec,nochain) inside the decoder's
#     functions, built -Os (ARM_OPT=-O2 in the environment for another level).
# Needs a build of the host tool (cmake --build BUILD --target sorvane_fontgen).
#   bench/glyph-decoder-bench.sh [BUILD]      BUILD is build unless given
set -eu
here=$(cd "$(dirname "$0")" && pwd)
source=$(dirname "$here")
build=$(cd "${1:-$source/build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
firmware=$source/firmware
tests=$source/tests/firmware

arm-none-eabi-gcc -std=c99 -Os -mthumb -mcpu=cortex-m3 -c -DSORVANE_UNPACK_BUILD "$firmware/sorvane_unpack.c" -o "$work/unpack-arm.o"
avr-gcc -std=c99 -Os -mmcu=atmega2560 -DSORVANE_AVR_PROGMEM -c -DSORVANE_UNPACK_BUILD "$firmware/sorvane_unpack.c" -o "$work/unpack-avr.o"
echo "code: Thumb-2 $(arm-none-eabi-size "$work/unpack-arm.o" | awk 'NR == 2 {print $1}') bytes," \
     "AVR $(avr-size "$work/unpack-avr.o" | awk 'NR == 2 {print $1}') bytes"

g++ -std=c++20 -O2 -I"$source" "$here/glyph_decoder_sample.cpp" "$build/libsorvane_fontgen.a" \
  "$build/libsorvane_core.a" -lfreetype -lz -o "$work/sample"

for font in "jiskan16 16 8" "k14 14 7" "jiskan24 24 8"; do
  set -- $font
  "$work/sample" "/usr/share/fonts/X11/misc/$1.pcf.gz" "$2" "$3" 93 >"$work/glyphs.h"

  avr-gcc -std=c99 -Os -mmcu=atmega2560 -DSORVANE_AVR_PROGMEM -I"$firmware" -I"$work" \
    "$here/glyph_decoder_bench.c" -DSORVANE_UNPACK_BUILD "$firmware/sorvane_unpack.c" "$tests/avr-uart.c" -o "$work/avr.elf"
  avr=$("$tests/simavr-run.sh" atmega2560 "$work/avr.elf" | tr '\n' ' ')

  arm-none-eabi-gcc -std=c99 ${ARM_OPT:--Os} -mcpu=cortex-m3 -mthumb -nostdlib -ffreestanding -T "$tests/cortex-m.ld" \
    -I"$firmware" -I"$work" "$tests/cortex-m-start.c" "$here/glyph_decoder_bench.c" -DSORVANE_UNPACK_BUILD "$firmware/sorvane_unpack.c" \
    -lgcc -o "$work/arm.elf"
  timeout 600 qemu-system-arm -M mps2-an385 -nographic -semihosting -singlestep -d exec,nochain \
    -D "$work/trace.txt" -kernel "$work/arm.elf" >"$work/arm.txt" 2>&1
  # the decoder's functions: those its object defines
  names=$(arm-none-eabi-nm "$work/unpack-arm.o" | awk '$2 ~ /^[tT]$/ {print $3}' | tr '\n' ' ')
  ranges=$(arm-none-eabi-nm -S "$work/arm.elf" | awk -v names=" $names" 'index(names, " " $4 " ") {print $1, $2}' | tr '\n' ' ')
  glyphs=$(grep -o 'ok [0-9]*' "$work/arm.txt" | cut -d' ' -f2)
  instructions=$(awk -v ranges="$ranges" '
    function hex(s,  i, n) { n = 0; s = tolower(s); for (i = 1; i <= length(s); i++) n = n * 16 + index("0123456789abcdef", substr(s, i, 1)) - 1; return n }
    BEGIN { k = split(ranges, r, " "); for (i = 1; i < k; i += 2) { from[i] = hex(r[i]); to[i] = from[i] + hex(r[i + 1]) } }
    /^Trace/ { split($0, f, "/"); pc = hex(f[2]); for (i in from) if (pc >= from[i] && pc < to[i]) n++ }
    END { print n + 0 }' "$work/trace.txt")
  echo "$1: AVR $avr; Cortex-M3 $(cat "$work/arm.txt" | tr '\n' ' ')$((instructions / glyphs)) instructions a glyph"
done
