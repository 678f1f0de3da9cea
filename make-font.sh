#!/bin/sh
# The main job, from a fresh Debian 12 machine to a Font.inc: installs what the build needs,
# builds, makes the three font source files from the Debian X11 fonts, scans the sample
# text, registers its characters and generates Font.inc for jiskan16 and XC32 in work/.
set -eu
cd "$(dirname "$0")"
top=$(pwd)

scripts/install-deps.sh main
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)"

cli="$top/build/sorvane-cli"
mkdir -p work
for font in k14 jiskan16 jiskan24; do
  pcf2bdf -o "work/$font.bdf" "/usr/share/fonts/X11/misc/$font.pcf.gz"
  "$cli" -C work import-bdf "$font.bdf"
done

"$cli" -C work clear
"$cli" -C work clear-detected
"$cli" -C work scan "$top/samples/device-messages.txt"
"$cli" -C work add
"$cli" -C work font jiskan16
"$cli" -C work compiler xc32
"$cli" -C work generate Font.inc
echo
echo "The include file is $top/work/Font.inc"
