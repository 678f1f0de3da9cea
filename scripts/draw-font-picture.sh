#!/bin/sh
# Draws docs/fonts.png: one message of the sample in every Japanese font Debian ships at 14,
# 16 and 24 dots, a line each, as the firmware's display would show it; and
# docs/message.png: a whole message, half-width characters and all, in the three fonts of the
# packages, as the firmware reader draws it from an include file. Needs the fonts of the test
# command (scripts/install-deps.sh test) and ImageMagick; run it from the top after a build
# when the fonts or the drawing change.
set -eu
cd "$(dirname "$0")/.."
cli=$(pwd)/build/sorvane-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
grep -a '^MSG_SOIL' samples/device-messages.txt | sed 's/^MSG_SOIL *//' >"$work/message.txt"

x11=/usr/share/fonts/X11/misc
lines=""
for font in k14 shnmk14 shnmk14min f14 jiskan16 shnmk16 shnmk16min f16 unifont jiskan24 f24 ipag16 ipag24; do
  case $font in
    ipag*) source=/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf; size="--size ${font#ipag}" ;;
    *) source=$x11/$font.pcf.gz; size="" ;;
  esac
  # shellcheck disable=SC2086
  "$cli" import-font "$source" $size -o "$work/$font.src" >/dev/null 2>&1
  "$cli" preview "$work/$font.src" --text "$work/message.txt" -o "$work/$font.png" >/dev/null
  convert "$work/$font.png" -background white -splice 120x0 -font /usr/share/fonts/opentype/ipafont-gothic/ipag.ttf \
    -pointsize 13 -gravity West \
    -annotate +6+0 "$font" "$work/$font-named.png"
  lines="$lines $work/$font-named.png"
done
# shellcheck disable=SC2086
convert $lines -background white -append +repage docs/fonts.png
echo "wrote docs/fonts.png"

printf '温度 25℃ ｴﾗｰ E-12 準備完了\n' >"$work/whole.txt"
lines=""
for pair in k14:7x14-JISX0201.1976-0 jiskan16:8x16rk jiskan24:12x24rk; do
  font=${pair%%:*}
  "$cli" -C "$work" import-font "$x11/$font.pcf.gz" --half "$x11/${pair#*:}.pcf.gz" >/dev/null 2>&1
  "$cli" -C "$work" scan --encoding utf-8 --add whole.txt >/dev/null 2>&1
  "$cli" -C "$work" font "$font" >/dev/null
  "$cli" -C "$work" generate "$font.inc" --half-width all --key unicode >/dev/null
  "$cli" -C "$work" preview "$font.inc" --text whole.txt --encoding utf-8 -o "$font-whole.png" >/dev/null
  convert "$work/$font-whole.png" -background white -splice 90x0 -font /usr/share/fonts/opentype/ipafont-gothic/ipag.ttf \
    -pointsize 13 -gravity West -annotate +6+0 "$font" "$work/$font-whole-named.png"
  lines="$lines $work/$font-whole-named.png"
done
# shellcheck disable=SC2086
convert $lines -background white -append +repage docs/message.png
echo "wrote docs/message.png"
