#!/bin/sh
# The main job, from a fresh Debian 12 machine to a Font.inc: installs what the build needs,
# builds, makes the three font source files and their half-width ones from the Debian X11
# fonts, scans the sample
# text, registers its characters and generates Font.inc for jiskan16 and XC32 in work/.
# Then draws its glyphs into docs/sample-font.png and shows a message of the sample the way
# the firmware example draws it.
set -eu
cd "$(dirname "$0")"
top=$(pwd)

scripts/install-deps.sh main
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)"

cli="$top/build/sorvane-cli"
mkdir -p work
x11=/usr/share/fonts/X11/misc
"$cli" -C work import-font $x11/k14.pcf.gz --half $x11/7x14-JISX0201.1976-0.pcf.gz
"$cli" -C work import-font $x11/jiskan16.pcf.gz --half $x11/8x16rk.pcf.gz
"$cli" -C work import-font $x11/jiskan24.pcf.gz --half $x11/12x24rk.pcf.gz

"$cli" -C work clear
"$cli" -C work clear-detected
"$cli" -C work scan "$top/samples/device-messages.txt"
"$cli" -C work add
"$cli" -C work font jiskan16
"$cli" -C work compiler xc32
"$cli" -C work generate Font.inc
"$cli" -C work preview Font.inc -o "$top/docs/sample-font.png"

echo
echo "The firmware example (examples/) draws the sample's 準備完了 (ready) with it:"
make -s -C examples FONT="$top/work/Font.inc" show_text
examples/show_text "$(printf '\217\200\224\365\212\256\227\271')"
echo
echo "The include file is $top/work/Font.inc"
