#!/bin/bash
# Sorvane under load, as make -j and impatient users treat it: twenty runs of sorvane-cli on
# one folder at once, a settings file replaced from outside while a run holds the lock, runs
# at once where the lock file cannot be opened and through two folders linked to one settings
# file, and runs killed with SIGKILL in the middle of a generation and of a save. After every
# round, every command has succeeded, the registered list holds exactly what was added, and
# Font.inc is whole: the one written before or the one being written.
#
# usage: load-test.sh SORVANE_CLI [ROUNDS]   (KEEP=1 keeps the folder for a look after a failure)
set -u
cli=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
rounds=${2:-50}
dir=$(mktemp -d)
if [ -n "${KEEP:-}" ]; then echo "load test: in $dir"; else trap 'rm -rf "$dir"' EXIT; fi
cd "$dir" || exit 1
export LC_ALL=C SOURCE_DATE_EPOCH=1700000000
failures=0

fail() {
  echo "load test: $*" >&2
  failures=$((failures + 1))
  [ "$failures" -lt 10 ] || exit 1
}

registered_count() {
  "$cli" show | sed -n 's/^registered list: \([0-9]*\) characters.*/\1/p'
}

# A font source of every size, a dot pattern in each glyph, so that every output is full.
for dots in 14 16 24; do
  awk -v n=$dots 'BEGIN { for (i = 0; i < 8836; i++) { s = ""; for (r = 0; r < n; r++) s = s (r ? "," : "") (i * 7 + r) % 65536; print s } }' \
    >"source$dots"
done
cp source14 Sorvane.K14 && cp source16 Sorvane.J16 && cp source24 Sorvane.J24

# Character k of kanji level 1 (lead 0x88 to 0x9F) as two bytes.
kanji() {
  local k=$(($1 + 94)) # past row 16's first bytes, which start at trail 0x9F
  printf "\\$(printf %03o $((0x88 + k / 188)))\\$(printf %03o $((k % 188 < 63 ? 0x40 + k % 188 : 0x41 + k % 188)))"
}

# Twenty commands at once, a quarter of them registering characters no other run registers.
"$cli" clear >/dev/null || fail "clear"
added=0
for round in $(seq 1 "$rounds"); do
  pids=()
  for i in $(seq 0 19); do
    case $((i % 5)) in
      0) kanji $((round * 4 + i / 5)) >"text$i.txt"
         "$cli" scan --add "text$i.txt" >/dev/null 2>"err$i" & ;;
      1) "$cli" font "$([ $((round % 2)) = 0 ] && echo k14 || echo jiskan16)" >/dev/null 2>"err$i" & ;;
      2) "$cli" sort >/dev/null 2>"err$i" & ;;
      3) "$cli" generate Font.inc >/dev/null 2>"err$i" & ;;
      4) "$cli" compiler "$([ $((i % 2)) = 0 ] && echo xc32 || echo cc-rh)" >/dev/null 2>"err$i" & ;;
    esac
    pids+=($!)
  done
  for i in "${!pids[@]}"; do
    wait "${pids[$i]}" || fail "round $round: command $i failed: $(cat "err$i")"
  done
  added=$((added + 4))
  [ "$(registered_count)" = "$added" ] || fail "round $round: $(registered_count) registered, $added added"
  [ "$(tr -d '\r' <Font.inc | grep -c '^};$')" = 2 ] || fail "round $round: Font.inc is not whole"
done

# A run that holds the lock (a scan still reading its standard input) while Sorvane.ini is
# replaced from outside, as an editor, git checkout or rsync does: a clear started meanwhile
# waits for it and comes after it, so nothing is registered in the end.
for round in 1 2 3; do
  { sleep 1; kanji $((900 + round)); } | "$cli" scan --add - >/dev/null 2>"err-holder" &
  holder=$!
  sleep 0.3
  cp Sorvane.ini replaced.ini && mv replaced.ini Sorvane.ini
  "$cli" clear >/dev/null 2>"err-clear" || fail "replaced round $round: clear failed: $(cat err-clear)"
  wait "$holder" || fail "replaced round $round: the holder failed: $(cat err-holder)"
  [ "$(registered_count)" = 0 ] || fail "replaced round $round: the clear was lost, $(registered_count) registered"
  [ -f Sorvane.ini.lock ] || fail "replaced round $round: no lock file beside Sorvane.ini"
done

# Sixteen runs at once in each of two places, each registering 60 characters of its own. A
# lock file root left with mode 0600 in a folder another user can write refuses each of that
# user's runs; two folders whose Sorvane.ini link to one file share the lock beside it.
user=()
[ "$(id -u)" != 0 ] || { chmod 755 "$dir"; user=(setpriv --reuid=nobody --regid=nogroup --clear-groups); }
mkdir locked shared linked1 linked2 && "$cli" -C locked language en >/dev/null && "$cli" -C shared language en >/dev/null
ln -s ../shared/Sorvane.ini linked1/Sorvane.ini && ln -s ../shared/Sorvane.ini linked2/Sorvane.ini
[ -z "${user[*]}" ] || chown nobody:nogroup locked locked/Sorvane.ini
chmod "$([ -n "${user[*]}" ] && echo 600 || echo 000)" locked/Sorvane.ini.lock && cp locked/Sorvane.ini locked.ini
for i in $(seq 0 15); do
  for k in $(seq $((i * 60)) $((i * 60 + 59))); do kanji "$k"; done >"t$i.txt" && chmod 644 "t$i.txt"
done
for i in $(seq 0 15); do
  { ${user[@]+"${user[@]}"} "$cli" -C locked scan --add "../t$i.txt" 2>&1; echo "exit $?"; } >"out-locked$i" &
  { "$cli" -C "linked$((i % 2 + 1))" scan --add "../t$i.txt" 2>&1; echo "exit $?"; } >"out-linked$i" &
done
wait
for i in $(seq 0 15); do
  grep -q "^exit 0$" "out-linked$i" || fail "linked folders: run $i failed: $(cat "out-linked$i")"
  grep -q "Can't use the folder's lock file; nothing is changed. (.*/locked/Sorvane.ini.lock: Permission denied)" \
    "out-locked$i" && grep -q "^exit 1$" "out-locked$i" || fail "unopenable lock: run $i was not refused: $(cat "out-locked$i")"
done
cmp -s locked/Sorvane.ini locked.ini || fail "unopenable lock: a run changed Sorvane.ini"
[ "$(cd shared && registered_count)" = 960 ] || fail "linked folders: $(cd shared && registered_count) of 960 registered"

# Every character registered, then generations of a 1.5 MB jiskan24 file killed at random.
LC_ALL=C awk 'BEGIN { for (l = 136; l <= 159; l++) for (t = 64; t <= 252; t++) if (t != 127) printf "%c%c", l, t }' >all.txt
"$cli" scan --add all.txt >/dev/null && "$cli" font jiskan24 >/dev/null && "$cli" generate Font.inc >/dev/null ||
  fail "the full generation"
cp Font.inc whole.inc
for round in $(seq 1 "$rounds"); do
  "$cli" generate Font.inc >/dev/null 2>&1 &
  sleep "0.0$((RANDOM % 30))"
  kill -9 $! 2>/dev/null
  wait $! 2>/dev/null
  cmp -s Font.inc whole.inc || fail "generation round $round: Font.inc is not the whole file"
done

# Saves killed at random: the settings file always loads and keeps its list.
full=$(registered_count)
for round in $(seq 1 "$rounds"); do
  "$cli" scan --add all.txt >/dev/null 2>&1 &
  sleep "0.00$((RANDOM % 10))"
  kill -9 $! 2>/dev/null
  wait $! 2>/dev/null
  [ "$(registered_count)" = "$full" ] || fail "save round $round: $(registered_count) registered, not $full"
done

[ "$failures" = 0 ] && echo "load test: $rounds rounds of each, all whole"
exit $((failures > 0))
