#!/bin/bash
# The firmware reader on small processors, held to this machine: small_draw.c draws texts
# from an include file and an image made here (jiskan16 by Shift_JIS code, jiskan24, whose
# rows outgrow a 16-bit int, by code point) and looks characters up in an image of 65535
# characters, built with gcc for this machine, with avr-gcc for an AVR (16-bit int, the
# tables in flash) run under simavr, and with SDCC for an STM8 run under ucsim (sstm8); the
# tables alone with SDCC for an 8051 (--stack-auto, cells of 16 dots at most) under s51, for
# jiskan16.
# Each target must put out what this machine does, byte for byte. Every compiler and simulator is required (scripts/install-deps.sh test installs
# them); a reader that does not compile for a target fails the test with the compiler's words.
#   small-targets-test.sh SORVANE_CLI
set -u
here=$(cd "$(dirname "$0")" && pwd)
reader=$(cd "$here/../../firmware" && pwd)
. "$here/../steps.sh" "small targets" "$1"
sp=

strict="-std=c99 -Wall -Wextra -Wpedantic -Werror"
# Two texts registered, a third with a character that is not (漢).
printf '温度 25℃ ｴﾗｰ E-12\n準備完了 OK!\n漢字 A\n' >texts.txt
iconv -f UTF-8 -t CP932 texts.txt >texts-sjis.txt || fail "iconv cannot make the Shift_JIS texts"
head -2 texts.txt >registered.txt
x11=/usr/share/fonts/X11/misc
must "$cli" import-font "$x11/jiskan16.pcf.gz" --half "$x11/8x16rk.pcf.gz"
must "$cli" import-font "$x11/jiskan24.pcf.gz" --half "$x11/12x24rk.pcf.gz"
must "$cli" compiler c99
must "$cli" scan --encoding UTF-8 --add registered.txt

# A string of C escapes for every byte of a line.
c_strings() {
  while IFS= read -r line; do
    printf '  "%s",\n' "$(printf '%s' "$line" | od -An -v -tx1 | tr -d ' \n' | sed 's/../\\x&/g')"
  done <"$1"
}
{
  echo "static const char *const utf8_texts[] = {" && c_strings texts.txt && echo "};" &&
    echo "static const char *const sjis_texts[] = {" && c_strings texts-sjis.txt && echo "};" &&
    echo "enum { text_count = 3 };"
} >texts.h || fail "texts.h not written"

# The header of an image of 65535 characters keyed by code point, in cells of 16 dots, whose
# tables small_draw.c makes up as they are read: KEYS, OTHR and GLYF, one after another; its
# CRC-32 is the one gzip keeps.
le() { for ((b = 0; b < $2; ++b)); do printf '\\x%02x' $(($1 >> 8 * b & 255)); done; }
n=65535 keys=88
alt=$((keys + 2 * n)) glyphs=$((keys + 6 * n))
printf '%b' "SORVANE\x1a$(le 2 2)$(le $keys 2)$(le 3 2)$(le 0 2)$(le $((glyphs + 32 * n)) 4)$(le 0 4)$(le $n 2)\x01\x10\x10\x08\x08\x00$(le 32 2)$(le 16 2)KEYS$(le $keys 4)$(le $((2 * n)) 4)$(le 2 2)$(le 1 2)OTHR$(le $alt 4)$(le $((4 * n)) 4)$(le 4 2)$(le 0 2)GLYF$(le $glyphs 4)$(le $((32 * n)) 4)$(le 32 2)$(le 1 2)" >head.bin
{ cat head.bin && gzip -c head.bin | tail -c 8 | head -c 4; } >big.bin || fail "big.bin not written"
{ echo "static const unsigned char big_header[] = {" && od -An -v -tu1 big.bin | tr -s ' \n' ',,' | sed 's/^,//' && echo "};"; } >big.h ||
  fail "big.h not written"

reader_sources=("$reader/sorvane_font.c" "$reader/sorvane_image.c" "$reader/sorvane_target.c" "$reader/sorvane_font_file.c")
sources=("${reader_sources[@]}" "$here/small_draw.c")
for font_key in jiskan16:sjis jiskan24:unicode; do
  key=${font_key#*:}
  must "$cli" font "${font_key%:*}"
  must "$cli" generate font.inc --half-width all --key "$key" --image image.bin
  {
    echo "static const unsigned char image_bytes[] IMAGE_FLASH = {" && od -An -v -tu1 image.bin | tr -s ' \n' ',,' | sed 's/^,//' &&
      echo "};" && echo "static const unsigned long image_size = $(stat -c %s image.bin);"
  } >image.h || fail "image.h not written"
  include=(-I"$reader" -I"$dir" -DSORVANE_FONT_FILE="\"$dir/font.inc\"")
  rm -f host avr.elf stm8.ihx ./*.rel

  # This machine: what every target must put out.
  # shellcheck disable=SC2086
  must gcc $strict "${include[@]}" "${sources[@]}" -o host || continue
  ./host >host.txt || fail "$font_key: this machine's run ended with status $?: $(head -3 host.txt)"
  if [ "$(head -1 host.txt)" != "image 0" ] || [ "$(grep -c '^T ' host.txt)" != 12 ] || [ "$(grep -c '^[0-9]* [0-9]*$' host.txt)" -lt 2000 ]; then
    fail "$font_key: this machine drew too little: $(head -3 host.txt)"
  fi

  # An AVR: 16-bit int, the tables and the image in flash.
  # shellcheck disable=SC2086
  if must avr-gcc -mmcu=atmega2560 $strict -Os -DSORVANE_AVR_PROGMEM -DTEST_AVR_UART "${include[@]}" "${sources[@]}" "$here/avr-uart.c" -o avr.elf; then
    timeout 300 "$here/simavr-run.sh" atmega2560 avr.elf >avr.txt || fail "$font_key: the AVR run ended with status $?"
    cmp -s host.txt avr.txt || fail "$font_key: the AVR drew otherwise than this machine: $(diff host.txt avr.txt | head -5)"
  fi

  # An 8051 (SDCC, --stack-auto: the locals on the stack in the 256 bytes of internal RAM of
  # an 8052, 223 of them left to the stack), the reader of the tables alone, for jiskan16:
  # what this machine puts out from the same program. s51 tells the stack's deepest point.
  if [ "$key" = sjis ]; then
    built=1
    for source in "${sources[@]}" "$here/ucsim-simif.c"; do
      must sdcc -mmcs51 --std-c99 --stack-auto --Werror --disable-warning 110 -DSORVANE_GLYPH_MAX=16 -DTEST_TABLES_ONLY -DTEST_SIMIF "${include[@]}" -c "$source" || built=0
    done
    # shellcheck disable=SC2086
    if [ "$built" = 1 ] && must sdcc -mmcs51 --stack-auto small_draw.rel sorvane_font.rel sorvane_image.rel sorvane_target.rel sorvane_font_file.rel ucsim-simif.rel -o m51.ihx &&
      must gcc $strict -DTEST_TABLES_ONLY "${include[@]}" "${sources[@]}" -o host-tables; then
      ./host-tables >host-tables.txt || fail "$font_key: this machine's run of the tables alone ended with status $?"
      rm -f m51.txt
      printf 'run\nstate\nquit\n' | timeout 60 s51 -t 8052 -I 'if=xram[0xffff],out=m51.txt' m51.ihx >sim.txt 2>&1 ||
        fail "$font_key: s51 ended with status $?: $(tail -3 sim.txt)"
      sp=$(sed -n 's/^Max value of stack pointer= 0x0*\([0-9a-f]*\),.*/\1/p' sim.txt)
      if [ "$(tail -1 m51.txt 2>/dev/null)" != "exit 0" ] || [ $((16#${sp:-100})) -gt 255 ]; then
        fail "$font_key: the 8051 program did not come to its end well (the stack's top 0x$sp): $(tail -2 m51.txt 2>&1)"
      fi
      sed -i '$d' m51.txt 2>/dev/null
      cmp -s host-tables.txt m51.txt || fail "$font_key: the 8051 drew otherwise than this machine: $(diff host-tables.txt m51.txt | head -5)"
    fi
    rm -f ./*.rel
  fi

  # An STM8 (SDCC, 16-bit int), its output through ucsim's simulator interface. Warnings are
  # errors, but for SDCC's note that a condition is constant (110): the include file's
  # settings are constants.
  built=1
  for source in "${sources[@]}" "$here/ucsim-simif.c"; do
    must sdcc -mstm8 --model-large --std-c99 --Werror --disable-warning 110 -DTEST_SIMIF "${include[@]}" -c "$source" || built=0
  done
  if [ "$built" = 0 ] || ! must sdcc -mstm8 --model-large small_draw.rel sorvane_font.rel sorvane_image.rel sorvane_target.rel sorvane_font_file.rel ucsim-simif.rel -o stm8.ihx; then
    continue
  fi
  # The console's commands on standard input: run until the program stops itself, then quit.
  # (With -G, an end of standard input ends the simulation before the program's.)
  rm -f stm8.txt
  printf 'run\nquit\n' | timeout 300 sstm8 -t STM8S208 -I 'if=rom[0x7fff],out=stm8.txt' stm8.ihx >sim.txt 2>&1 ||
    fail "$font_key: sstm8 ended with status $?: $(tail -3 sim.txt)"
  [ "$(tail -1 stm8.txt 2>/dev/null)" = "exit 0" ] || fail "$font_key: the STM8 program did not come to its end well: $(tail -2 stm8.txt 2>&1)"
  sed -i '$d' stm8.txt 2>/dev/null
  cmp -s host.txt stm8.txt || fail "$font_key: the STM8 drew otherwise than this machine: $(diff host.txt stm8.txt | head -5)"
done

[ "$failures" = 0 ] && echo "small targets: AVR and STM8 draw as this machine, from the tables and the image, for both fonts and keys, and look up 65535 characters; the 8051 from the tables (its stack's top 0x$sp)"
exit $((failures > 0))
