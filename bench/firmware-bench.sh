#!/bin/bash
# The firmware reader measured (bench/firmware_bench.c): four characters of jiskan16, 16 dots,
# from the tables of an include file and from an image in RAM, into each target, on
#   - an ATmega2560 under simavr at 16 MHz: cycles, counted by Timer1 at the CPU clock
#     (avr-gcc -Os, the tables in flash);
#   - a Cortex-M3 (qemu-system-arm -M mps2-an385, one instruction a block): instructions,
#     counted in qemu's trace of the blocks it runs (-singlestep -d exec,nochain) from one
#     call of bench_mark to the next (arm-none-eabi-gcc -Os -mthumb -mcpu=cortex-m3);
# each less an empty measurement, per glyph, rounded. Then the code size of each reader
# source for the Cortex-M3 (arm-none-eabi-size, -Os) and the stack of each drawing call
# (scripts/firmware-stack.sh). The same program built for this machine checks first that
# every buffer holds what the plot callback draws.
#   bench/firmware-bench.sh [SORVANE_CLI]     (default: build/sorvane-cli)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cli=$(cd "$(dirname "${1:-$root/build/sorvane-cli}")" && pwd)/$(basename "${1:-sorvane-cli}")
fw=$root/firmware
tests=$root/tests/firmware
dir=$(mktemp -d)
if [ -n "${BENCH_KEEP:-}" ]; then echo "firmware-bench.sh: working in $dir" >&2; else trap 'rm -rf "$dir"' EXIT; fi
cd "$dir"

text=温度設定
x11=/usr/share/fonts/X11/misc
"$cli" import-font "$x11/jiskan16.pcf.gz" >/dev/null 2>&1
"$cli" compiler c99 >/dev/null
printf '%s\n' "$text" >text.txt
"$cli" scan --encoding UTF-8 --add text.txt >/dev/null
"$cli" font jiskan16 >/dev/null
# raw/ and compressed/: the include file and the image of the same state, each set raw, or
# compressed (generate --compress; it pays even for these four).
mkdir raw compressed
"$cli" generate raw/Font.inc --image raw/image.bin --no-compress >/dev/null 2>&1
"$cli" generate compressed/Font.inc --image compressed/image.bin --compress >/dev/null 2>&1
grep -Eq '^#define FONT_COMPRESSED[[:space:]]+1' compressed/Font.inc || { echo "firmware-bench.sh: compressing did not pay" >&2; exit 1; }
per_glyph() { awk -v n="$1" -v g="$2" 'BEGIN { printf "%d", n / g + 0.5 }'; }

# Builds and runs the benchmark in a folder of the two: figures.txt, a line
# "target|back-end|x,y|cycles|instructions" a measurement, per glyph, less an empty one.
measure() {
  cd "$dir/$1"
  {
    printf 'static const char bench_text[] = "%s"; /* in Shift_JIS */\n' "$(printf '%s' "$text" | iconv -f UTF-8 -t CP932 | od -An -v -tx1 | tr -d ' \n' | sed 's/../\\x&/g')"
    echo "enum { bench_glyphs = ${#text} };"
    echo "static const unsigned char image_bytes[] = {" && od -An -v -tu1 image.bin | tr -s ' \n' ',,' | sed 's/^,//' && echo "};"
    echo "static const unsigned long image_size = $(stat -c %s image.bin);"
  } >bench_data.h
  local flags=(-std=c99 -Wall -Wextra -Werror -Os -I"$fw" -I"$dir/$1")

  gcc "${flags[@]}" "${sources[@]}" -o host
  ./host >host.txt || { cat host.txt >&2; echo "firmware-bench.sh: the drawing differs on this machine ($1)" >&2; exit 1; }

  avr-gcc -mmcu=atmega2560 "${flags[@]}" -DSORVANE_AVR_PROGMEM -DBENCH_AVR "${sources[@]}" "$tests/avr-uart.c" -o avr.elf
  timeout 600 "$tests/simavr-run.sh" atmega2560 avr.elf >avr.txt || { cat avr.txt >&2; echo "firmware-bench.sh: the AVR run failed ($1)" >&2; exit 1; }

  arm-none-eabi-gcc "${arm[@]}" "${flags[@]}" -DBENCH_CORTEX_M -T "$tests/cortex-m.ld" "${sources[@]}" "$tests/cortex-m-start.c" -o arm.elf -lgcc
  timeout 600 qemu-system-arm -M mps2-an385 -nographic -monitor none -serial none -semihosting -singlestep -d exec,nochain -D trace.log \
    -kernel arm.elf >arm.txt || { cat arm.txt >&2; echo "firmware-bench.sh: the Cortex-M3 run failed ($1)" >&2; exit 1; }
  local mark empty
  mark=$(arm-none-eabi-nm arm.elf | awk '$3 == "bench_mark" { print $1 }')
  # The instructions between each pair of calls of bench_mark, in order: the first pair empty.
  awk -v mark="$mark" '/^Trace/ { ++n; split($4, f, "/"); if (f[2] == mark) { if (open) { print n - from; open = 0 } else { from = n; open = 1 } } }' \
    trace.log >counts.txt
  [ "$(wc -l <counts.txt)" = "$(($(wc -l <host.txt) + 1))" ] || { echo "firmware-bench.sh: the trace has not every mark ($1)" >&2; exit 1; }
  empty=$(head -1 counts.txt)
  paste -d'|' avr.txt <(tail -n +2 counts.txt) | while IFS='|' read -r target back place glyphs cycles count; do
    echo "$target|$back|$place|$(per_glyph "$cycles" "$glyphs")|$(per_glyph $((count - empty)) "$glyphs")"
  done >figures.txt
  rm -f trace.log
  cd "$dir"
}

sources=("$root/bench/firmware_bench.c" "$fw/sorvane_font.c" "$fw/sorvane_image.c" "$fw/sorvane_target.c" "$fw/sorvane_font_file.c")
arm=(-mcpu=cortex-m3 -mthumb -ffreestanding -nostdlib)
measure raw
measure compressed

echo "Cycles (ATmega2560, simavr, 16 MHz) and instructions (Cortex-M3, qemu) per 16-dot glyph, raw and compressed:"
printf '%-26s %-8s %-6s %10s %10s %12s %12s\n' target back-end x,y cycles instr. "cycles (c.)" "instr. (c.)"
paste -d'|' raw/figures.txt <(cut -d'|' -f4,5 compressed/figures.txt) | while IFS='|' read -r target back place cycles count zcycles zcount; do
  printf '%-26s %-8s %-6s %10s %10s %12s %12s\n' "$target" "$back" "$place" "$cycles" "$count" "$zcycles" "$zcount"
done

echo
echo "Code size (arm-none-eabi-gcc -Os -mthumb -mcpu=cortex-m3; text+data+bss, bytes):"
for source in sorvane_font.c sorvane_image.c sorvane_target.c; do
  arm-none-eabi-gcc -mcpu=cortex-m3 -mthumb -Os -std=c99 -I"$fw" -I"$dir/raw" -c "$fw/$source" -o "${source%.c}.o"
done
arm-none-eabi-size sorvane_font.o sorvane_image.o sorvane_target.o | awk 'NR > 1 { printf "  %-18s %6d\n", $6, $4 }'

echo
"$root/scripts/firmware-stack.sh" "$cli"
