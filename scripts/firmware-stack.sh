#!/bin/bash
# The stack each public function of the firmware reader takes before it calls the caller's own
# functions (a plot callback, an image's read callback), which are not counted: the frames
# GCC's -fstack-usage gives, summed along the deepest chain of calls the compiler left through
# the reader's sources (sorvane_font.c, sorvane_image.c, sorvane_target.c; every indirect call
# is the caller's callback), on a Cortex-M0 (arm-none-eabi-gcc -mcpu=cortex-m0 -Os) and an AVR
# (avr-gcc -mmcu=atmega328p -Os, the tables in flash; each call adds its 2-byte return
# address), built for cells of up to 32 dots (the default SORVANE_GLYPH_MAX) and of up to 16.
# The reader's code is the same for every font: the geometry is the font object's. Prints a
# table, the deepest chain of each function, and the library functions the compiler calls.
# Re-run it when the reader changes.
#   scripts/firmware-stack.sh [SORVANE_CLI]     (the argument is taken and not needed)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"

# The deepest chain below each global function of one reader's assembly (.s) and stack
# usage (.su): "function bytes chain", then "library: name..." for calls that leave the file.
chains() {
  awk -v ret="$3" '
    function base(n) { sub(/\.[0-9]+$/, "", n); return n }
    function depth(f,    c, d, best, i, n, list) {
      if (f in memo) return memo[f]
      if (f in busy) { recursive = 1; return 0 }
      busy[f] = 1; best = 0; path[f] = ""
      n = split(calls[f], list, " ")
      for (i = 1; i <= n; ++i) {
        c = list[i]
        if (c == "" || !(c in frame)) continue
        d = depth(c) + ret
        if (d > best) { best = d; path[f] = " + " c " " frame[c] path[c] }
      }
      delete busy[f]
      return memo[f] = frame[f] + best
    }
    FNR == NR { split($0, field, "\t"); n = split(field[1], at, ":"); name = base(at[n])
                frame[name] = field[2]; if (field[3] !~ /^static/) dynamic[name] = 1; next }
    /^[A-Za-z_][A-Za-z0-9_.]*:/ { name = base(substr($1, 1, length($1) - 1)); if (name in frame) fn = name; next }
    $1 == ".global" || $1 == ".globl" { global[$2] = 1; next }
    $1 ~ /^(bl|call|rcall|b|jmp|rjmp)$/ && $2 !~ /^[.0-9]/ {
      callee = base($2)
      if (callee in frame || $1 ~ /^(bl|call|rcall)$/) calls[fn] = calls[fn] " " callee
      if (!(callee in frame) && $1 ~ /^(bl|call|rcall)$/) library[callee] = 1
      next }
    END {
      for (f in global) if (f in frame) print f, depth(f) (f in dynamic ? "+dynamic" : ""), f " " frame[f] path[f]
      l = ""; for (f in library) l = l " " f
      print "library:" (l == "" ? " none" : l) (recursive ? " (a call is recursive: the sums are not bounds)" : "")
      if (!("sorvane_put_cell" in frame)) { print "firmware-stack.sh: no sorvane_put_cell in the reader" > "/dev/stderr"; exit 1 }
    }' "$1" "$2"
}

targets=("cortex-m0:arm-none-eabi-gcc -mcpu=cortex-m0 -mthumb:0" "avr:avr-gcc -mmcu=atmega328p -DSORVANE_AVR_PROGMEM:2")
for target in "${targets[@]}"; do
  IFS=: read -r name compiler ret <<<"$target"
  for cells in 32 16; do
    rm -f ./*.s ./*.su
    for reader in sorvane_font sorvane_image sorvane_target; do
      # shellcheck disable=SC2086
      $compiler -std=c99 -Os -fstack-usage -DSORVANE_GLYPH_MAX=$cells -I"$root/firmware" -S "$root/firmware/$reader.c" -o "$reader.s"
    done
    cat ./*.su >reader.su.all && cat ./*.s >reader.s.all
    chains reader.su.all reader.s.all "$ret" | sed "s/^/$name $cells /" >>chains.txt
  done
done

printf '%-28s %14s %14s %14s %14s\n' "bytes of stack" "M0 cells 32" "M0 cells 16" "AVR cells 32" "AVR cells 16"
grep -v ' library:' chains.txt | awk '{ print $3 }' | sort -u | while read -r f; do
  printf '%-28s' "$f"
  for column in "cortex-m0 32" "cortex-m0 16" "avr 32" "avr 16"; do
    printf ' %14s' "$(awk -v c="$column" -v f="$f" '$1 " " $2 == c && $3 == f { print $4 }' chains.txt)"
  done
  printf '\n'
done
echo
echo "The deepest chains (cells of 32 dots), frame by frame:"
awk '$2 == "32" && $3 != "library:" { $2 = ""; $3 = ""; $4 = ""; print }' chains.txt | sed 's/   */ /' | sort
echo
echo "Library functions the compiler calls:"
awk '$3 == "library:" { n = $1 " " $2 ":"; $1 = $2 = $3 = ""; print n $0 }' chains.txt | sort -u
