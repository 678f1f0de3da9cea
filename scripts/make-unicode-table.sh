#!/bin/sh
# Writes core/jis_unicode_table.inc: the Unicode character of each of the 8836 cells of the
# JIS X 0208 grid, as iconv maps its Shift_JIS code, twice: by code page 932 (CP932, with
# NEC's row 13 and the IBM extensions at 0xED and 0xEE) and by JIS X 0208 itself
# (SHIFT_JIS). 0 where the encoding has no character. Run it again only when the table
# should change; the tests compare the table with iconv.
set -eu
cd "$(dirname "$0")/.."
out=core/jis_unicode_table.inc

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

table() {  # NAME ENCODING
  echo "inline constexpr std::array<char16_t, grid_cells> $1{"
  code_points "$2" | sed 's/^0x0$/0/' | paste -d, - - - - - - - - - - - - | sed 's/,*$//; s/^/    /; s/$/,/'
  echo "};"
}

{
  echo "// Written by scripts/make-unicode-table.sh from iconv; not to be edited by hand."
  echo "// Cell k of the grid is Shift_JIS character k; 0 where the encoding has none."
  echo
  echo "// Code page 932, the mapping of Windows and of most Unicode fonts' Japanese."
  table cp932_of_cell CP932
  echo
  echo "// JIS X 0208 itself, which differs from code page 932 in a handful of symbols."
  table jis_x0208_of_cell SHIFT_JIS
} >"$out"
echo "wrote $out"
