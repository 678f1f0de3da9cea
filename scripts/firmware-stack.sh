#!/bin/bash
# The stack each public function of the firmware readers takes before it calls the caller's
# own functions (the plot callback, an image's read callback), which are not counted: the
# frames GCC's -fstack-usage gives, summed along the deepest chain of calls the compiler left
# (static functions inlined or called, and through the readers' own table of functions: the
# indirect calls of the string walk, $walk below, may go to any function whose address the
# reader takes; every other indirect call is the caller's callback), on
# a Cortex-M0 (arm-none-eabi-gcc -mcpu=cortex-m0 -Os) and an AVR (avr-gcc -mmcu=atmega328p
# -Os, the tables in flash; each call adds its 2-byte return address), against include files
# of jiskan16 and jiskan24 with every half-width glyph. Prints a table, the deepest chain of
# each function, and the library functions the compiler calls. Re-run it when the readers
# change.
#   scripts/firmware-stack.sh [SORVANE_CLI]     (default: build/sorvane-cli)
set -euo pipefail
# The functions of the string walk, as the compiler leaves them: the image reader's own wrapper
# takes the walk in when it is its only caller.
walk="sorvane_walk|walk_image"
root=$(cd "$(dirname "$0")/.." && pwd)
cli=$(cd "$(dirname "${1:-$root/build/sorvane-cli}")" && pwd)/$(basename "${1:-sorvane-cli}")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"

x11=/usr/share/fonts/X11/misc
"$cli" import-font "$x11/jiskan16.pcf.gz" --half "$x11/8x16rk.pcf.gz" >/dev/null 2>&1
"$cli" import-font "$x11/jiskan24.pcf.gz" --half "$x11/12x24rk.pcf.gz" >/dev/null 2>&1
"$cli" compiler c99 >/dev/null
"$cli" scan --add "$root/samples/device-messages.txt" >/dev/null
for font in jiskan16 jiskan24; do
  "$cli" font "$font" >/dev/null
  "$cli" generate "$font.inc" --half-width all >/dev/null 2>&1
done

# The deepest chain below each global function of one reader's assembly (.s) and stack
# usage (.su): "function bytes chain", then "library: name..." for calls that leave the file.
chains() {
  awk -v ret="$3" -v walk="$walk" '
    function base(n) { sub(/\.[0-9]+$/, "", n); return n }
    function depth(f,    c, d, best, i, n, list) {
      if (f in memo) return memo[f]
      if (f in busy) { recursive = 1; return 0 }
      busy[f] = 1; best = 0; path[f] = ""
      n = split(calls[f], list, " ")
      if (f in indirect && f ~ "^(" walk ")") for (c in taken) list[++n] = c
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
    $1 == ".word" && $2 ~ /^[A-Za-z_]/ { taken[base($2)] = 1 }
    { for (rest = $0; match(rest, /gs\([A-Za-z_][A-Za-z0-9_.]*\)/); rest = substr(rest, RSTART + RLENGTH))
        taken[base(substr(rest, RSTART + 3, RLENGTH - 4))] = 1 }
    $1 ~ /^(bl|call|rcall|b|jmp|rjmp)$/ && $2 !~ /^[.0-9]/ {
      callee = base($2)
      if (callee in frame || $1 ~ /^(bl|call|rcall)$/) calls[fn] = calls[fn] " " callee
      if (!(callee in frame) && $1 ~ /^(bl|call|rcall)$/) library[callee] = 1
      next }
    $1 ~ /^(blx|icall|eicall|ijmp|eijmp)$/ { indirect[fn] = 1 }
    END {
      for (f in global) if (f in frame) print f, depth(f) (f in dynamic ? "+dynamic" : ""), f " " frame[f] path[f]
      l = ""; for (f in library) l = l " " f
      print "library:" (l == "" ? " none" : l) (recursive ? " (a call is recursive: the sums are not bounds)" : "")
      for (f in frame) if (f ~ "^(" walk ")") found = 1
      if (!found) { print "firmware-stack.sh: no function " walk " here: which one calls through the table?" > "/dev/stderr"; exit 1 }
    }' "$1" "$2"
}

targets=("cortex-m0:arm-none-eabi-gcc -mcpu=cortex-m0 -mthumb:0" "avr:avr-gcc -mmcu=atmega328p -DSORVANE_AVR_PROGMEM:2")
for target in "${targets[@]}"; do
  IFS=: read -r name compiler ret <<<"$target"
  for font in jiskan16 jiskan24; do
    for reader in sorvane_font sorvane_image; do
      # shellcheck disable=SC2086
      $compiler -std=c99 -Os -fstack-usage -I"$root/firmware" -DSORVANE_FONT_FILE="\"$dir/$font.inc\"" -S "$root/firmware/$reader.c" -o "$reader.s"
      chains "$reader.su" "$reader.s" "$ret" | sed "s/^/$name $font /" >>chains.txt
    done
  done
done

printf '%-28s %14s %14s %14s %14s\n' "bytes of stack" "M0 jiskan16" "M0 jiskan24" "AVR jiskan16" "AVR jiskan24"
grep -v ' library:' chains.txt | awk '{ print $3 }' | sort -u | while read -r f; do
  printf '%-28s' "$f"
  for column in "cortex-m0 jiskan16" "cortex-m0 jiskan24" "avr jiskan16" "avr jiskan24"; do
    printf ' %14s' "$(awk -v c="$column" -v f="$f" '$1 " " $2 == c && $3 == f { print $4 }' chains.txt)"
  done
  printf '\n'
done
echo
echo "The deepest chains (jiskan24), frame by frame:"
awk '$2 == "jiskan24" && $3 != "library:" { $2 = ""; $3 = ""; $4 = ""; print }' chains.txt | sed 's/   */ /' | sort
echo
echo "Library functions the compiler calls:"
awk '$3 == "library:" { n = $1 " " $2 ":"; $1 = $2 = $3 = ""; print n $0 }' chains.txt | sort -u
