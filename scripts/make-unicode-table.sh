#!/bin/sh
# Writes core/jis_unicode_table.inc: the Unicode character of each of the 8836 cells of the
# JIS X 0208 grid, as iconv maps its Shift_JIS code, twice: by code page 932 (CP932, with
# NEC's row 13 and the IBM extensions at 0xED and 0xEE) and by JIS X 0208 itself
# (SHIFT_JIS). 0 where the encoding has no character. Writes core/unicode_sjis_table.inc
# from the same values: the way back, from a character to its Shift_JIS code. Run it again
# only when the tables should change; the tests compare them with iconv and each other.
set -eu
cd "$(dirname "$0")/.."
out=core/jis_unicode_table.inc
back=core/unicode_sjis_table.inc
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

code_points() {  # ENCODING: one hexadecimal code point (or 0) per cell, a line each
  cell=0
  while [ "$cell" -lt 8836 ]; do
    row=$((cell / 94)) column=$((cell % 94))
    lead=$((row / 2 + (row < 62 ? 0x81 : 0xC1)))
    if [ $((row % 2)) = 0 ]; then trail=$((column + (column < 63 ? 0x40 : 0x41))); else trail=$((column + 0x9F)); fi
    value=$(printf "\\$(printf %03o "$lead")\\$(printf %03o "$trail")" | iconv -f "$1" -t UTF-32BE 2>/dev/null |
      od -An -tx1 | tr -d ' \n')
    [ ${#value} = 8 ] || value=0
    echo "0x$(echo "$value" | sed 's/^0*//; s/^$/0/')"
    cell=$((cell + 1))
  done
}

table() {  # NAME FILE
  echo "inline constexpr std::array<char16_t, grid_cells> $1{"
  sed 's/^0x0$/0/' "$2" | paste -d, - - - - - - - - - - - - | sed 's/,*$//; s/^/    /; s/$/,/'
  echo "};"
}

# Every character of the grid with the Shift_JIS code of its cell, in the order of the
# characters; where one has several cells, code page 932's form before JIS X 0208's own and
# the lower cell first, and only that one is kept.
inverse() {
  awk -v kind=0 '{ print $1, kind, NR - 1 }' "$work/cp932" >"$work/pairs"
  awk -v kind=1 '{ print $1, kind, NR - 1 }' "$work/jis" >>"$work/pairs"
  awk '$1 != "0x0" {
      v = toupper(substr($1, 3)); v = substr("0000", length(v) + 1) v
      row = int($3 / 94); column = $3 % 94
      lead = int(row / 2) + (row < 62 ? 129 : 193)
      trail = row % 2 == 0 ? column + (column < 63 ? 64 : 65) : column + 159
      printf "%s %d %05d {0x%s,0x%02X%02X}\n", v, $2, $3, v, lead, trail
    }' "$work/pairs" | sort -k1,1 -k2,2n -k3,3n | awk '!seen[$1]++ { print $4 }' >"$work/back"
  echo "inline constexpr std::array<UnicodeSjis, $(wc -l <"$work/back")> unicode_sjis{{"
  paste -d, - - - - - - - - <"$work/back" | sed 's/,*$//; s/^/    /; s/$/,/'
  echo "}};"
}

code_points CP932 >"$work/cp932"
code_points SHIFT_JIS >"$work/jis"

{
  echo "// Written by scripts/make-unicode-table.sh from iconv; not to be edited by hand."
  echo "// Cell k of the grid is Shift_JIS character k; 0 where the encoding has none."
  echo
  echo "// Code page 932, the mapping of Windows and of most Unicode fonts' Japanese."
  table cp932_of_cell "$work/cp932"
  echo
  echo "// JIS X 0208 itself, which differs from code page 932 in a handful of symbols."
  table jis_x0208_of_cell "$work/jis"
} >"$out"
{
  echo "// Written by scripts/make-unicode-table.sh from iconv; not to be edited by hand."
  echo "// Each character of the grid and the Shift_JIS code of its cell, in character order."
  echo
  inverse
} >"$back"
echo "wrote $out and $back"
