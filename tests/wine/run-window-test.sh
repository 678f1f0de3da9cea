#!/bin/sh
# The window end to end: the real Sorvane.exe under Wine on a private X server, driven by
# sorvane-window-driver.exe from another process. Leaves window-ja.png and window-en.png,
# pictures of the window in each language, in the build folder.
#
#   tests/wine/run-window-test.sh BUILD_WIN
#
# BUILD_WIN is the MinGW build folder holding Sorvane.exe and sorvane-window-driver.exe.
set -eu
build=$(cd "$1" && pwd)
top=$(cd "$(dirname "$0")/../.." && pwd)
work="$build/window-test"
rm -rf "$work"
mkdir -p "$work"

# Wine takes its ANSI code page from the locale: Japanese gives code page 932.
export LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

xvfb_pid=""
driver_pid=""
cleanup() {
  [ -n "$driver_pid" ] && kill "$driver_pid" 2>/dev/null || true
  wineserver -k 2>/dev/null || true  # the processes of this prefix: the ones started here
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT INT TERM

# A private X server on a free display; it tells its number on a file descriptor.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start:"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$(cat "$work/display")"

wineboot -i >"$work/wineboot.log" 2>&1 || true
wineserver -w

cd "$work"
# A device that refuses every write, like /dev/full, for the check of a full disk.
full=""
if mknod full c 1 7 2>/dev/null; then full=full; else echo "no device node here: the full-disk check is skipped"; fi

set +e
timeout 300 wine "$build/sorvane-window-driver.exe" "$(winepath -w "$build/Sorvane.exe")" \
  "$(winepath -w "$top/samples/device-messages.txt")" $full >driver.log 2>&1 &
driver_pid=$!
wait "$driver_pid"
status=$?
driver_pid=""
set -e
grep -v 'Read access denied for device' driver.log || true

if [ -n "$full" ] && [ ! -c full ]; then
  echo "FAIL  the full device was removed"
  status=1
fi
for language in ja en; do
  [ -f "window-$language.bmp" ] && convert "window-$language.bmp" "$build/window-$language.png"
done
[ -f "$build/window-ja.png" ] && echo "pictures of the window: $build/window-ja.png $build/window-en.png"
exit "$status"
