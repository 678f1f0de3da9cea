#!/bin/sh
# The window end to end: the real Sorvane.exe under Wine on a private X server, driven by
# sorvane-window-driver.exe from another process. Leaves window-ja.png, window-en.png and window-busy.png,
# pictures of the window in each language and of the question it asks at close when another
# run holds the folder, in the build folder.
#
#   tests/wine/run-window-test.sh BUILD_WIN [LINUX_BUILD]
#
# BUILD_WIN is the MinGW build folder holding Sorvane.exe and sorvane-window-driver.exe;
# LINUX_BUILD, if given, the Linux build, whose sorvane-cli the Windows one is compared with.
set -eu
build=$(cd "$1" && pwd)
linux_cli=""
[ $# -ge 2 ] && linux_cli="$(cd "$2" && pwd)/sorvane-cli"
top=$(cd "$(dirname "$0")/../.." && pwd)
work="$build/window-test"
rm -rf "$work"
mkdir -p "$work"

export WINEPREFIX="$build/wineprefix"
. "$top/tests/wine/wine-session.sh"
driver_pid=""
cleanup() {
  [ -n "$driver_pid" ] && kill "$driver_pid" 2>/dev/null || true
  end_wine_session
}
trap cleanup EXIT INT TERM
start_wine_session "$work"

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
grep -av 'Read access denied for device' driver.log || true

if [ -n "$full" ] && [ ! -c full ]; then
  echo "FAIL  the full device was removed"
  status=1
fi
# The Windows command line converts text with the Windows calls: the same detected list as
# the Linux one's from iconv, for each encoding it promises.
if [ -n "$linux_cli" ]; then
  for encoding in utf-8 euc-jp cp932; do
    mkdir -p "cli-$encoding/win" "cli-$encoding/linux"
    iconv -f CP932 -t "$encoding" "$top/samples/device-messages.txt" >"cli-$encoding/messages.txt"
    printf 'emoji \360\237\230\200 \302\251\n' | iconv -f UTF-8 -t "$encoding" >>"cli-$encoding/messages.txt" 2>/dev/null || true
    (cd "cli-$encoding/win" && wine "$build/sorvane-cli.exe" scan --encoding "$encoding" ../messages.txt \
      >out.txt 2>err.txt) || true
    (cd "cli-$encoding/linux" && "$linux_cli" scan --encoding "$encoding" ../messages.txt >out.txt 2>err.txt) || true
    win_list=$(sed -n 26p "cli-$encoding/win/Sorvane.ini" 2>/dev/null)
    linux_list=$(sed -n 26p "cli-$encoding/linux/Sorvane.ini")
    if [ -n "$linux_list" ] && [ "$win_list" = "$linux_list" ]; then
      echo "ok    sorvane-cli.exe scan --encoding $encoding finds what the Linux one finds"
    else
      echo "FAIL  sorvane-cli.exe scan --encoding $encoding differs from the Linux one:"
      cat "cli-$encoding/win/out.txt" "cli-$encoding/win/err.txt"
      status=1
    fi
  done

  # A folder that cannot be entered is named with the Windows reason, not "Success".
  reason=$(wine "$build/sorvane-cli.exe" -C no-such-folder show 2>&1 >/dev/null | tr -d '\r' | sed 's/.*(//')
  if [ "$reason" = "no-such-folder: No such file or directory)" ]; then
    echo "ok    sorvane-cli.exe -C says why it cannot enter a folder"
  else
    echo "FAIL  sorvane-cli.exe -C gave the reason: $reason"
    status=1
  fi

  # The Windows command line reads packed PCF fonts as the Linux one does, and says plainly
  # that it reads no outline fonts.
  mkdir -p cli-fonts
  pcf=/usr/share/fonts/X11/misc/jiskan16.pcf.gz
  (cd cli-fonts && cp "$pcf" . && wine "$build/sorvane-cli.exe" import-font jiskan16.pcf.gz -o win.J16 >/dev/null 2>&1 &&
    "$linux_cli" import-font jiskan16.pcf.gz -o linux.J16 >/dev/null 2>&1) || true
  if [ -s cli-fonts/linux.J16 ] && cmp -s cli-fonts/win.J16 cli-fonts/linux.J16; then
    echo "ok    sorvane-cli.exe import-font of a .pcf.gz writes what the Linux one writes"
  else
    echo "FAIL  sorvane-cli.exe import-font of a .pcf.gz differs from the Linux one"
    status=1
  fi
  ttf=/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf
  said=$(cd cli-fonts && cp "$ttf" . && wine "$build/sorvane-cli.exe" import-font ipag.ttf --size 16 2>&1 | tr -d '\r')
  case "$said" in
    *"reads no outline fonts"*) echo "ok    sorvane-cli.exe says it reads no outline fonts" ;;
    *) echo "FAIL  sorvane-cli.exe on an outline font said: $said"; status=1 ;;
  esac

  # A run through a link to the folder meets the lock of a run in the folder itself: a clear
  # started while that run holds the folder waits for it and is refused, or comes after it;
  # never is it saved over.
  mkdir -p cli-link/real
  ln -sfn real cli-link/wlink
  printf '\210\237' >cli-link/real/t.txt
  (cd cli-link/real && wine "$build/sorvane-cli.exe" scan --add t.txt >/dev/null 2>&1)
  { sleep 15; printf '\210\240'; } | (cd cli-link/real && wine "$build/sorvane-cli.exe" scan --add - >holder.txt 2>&1) &
  holder=$!
  sleep 4
  clear_status=0
  (cd cli-link && wine "$build/sorvane-cli.exe" -C wlink clear >clear.txt 2>&1) || clear_status=$?
  wait "$holder" || true
  registered=$(cd cli-link/real && "$linux_cli" show | sed -n 's/^registered list: \([0-9]*\).*/\1/p')
  if { [ "$clear_status" = 1 ] && [ "$registered" = 2 ]; } || { [ "$clear_status" = 0 ] && [ "$registered" = 0 ]; }; then
    echo "ok    a run through a link to the folder takes its turn (clear: exit $clear_status, $registered registered)"
  else
    echo "FAIL  a run through a link to the folder: clear exit $clear_status, yet $registered registered after the holder"
    cat cli-link/clear.txt cli-link/real/holder.txt
    status=1
  fi

  # Arguments are read as UTF-16 and turned into code page 932 exactly: one without an exact
  # form is a usage error, never a best fit that names another folder or makes a quote.
  mkdir -p cli-args && cd cli-args
  mkdir -p café cafe "＂q"
  for arg in café 한글 😀; do
    arg_status=0
    wine "$build/sorvane-cli.exe" -C "$arg" font jiskan16 >out.txt 2>err.txt || arg_status=$?
    if [ "$arg_status" = 2 ] && [ ! -e cafe/Sorvane.ini ] && [ ! -e café/Sorvane.ini ] && grep -q "code page 932" err.txt; then
      echo "ok    sorvane-cli.exe refuses the argument $arg, which code page 932 cannot spell"
    else
      echo "FAIL  sorvane-cli.exe took the argument $arg: exit $arg_status"
      cat err.txt
      status=1
    fi
  done
  if wine "$build/sorvane-cli.exe" -C "＂q" font jiskan16 >out.txt 2>err.txt && [ -f "＂q/Sorvane.ini" ]; then
    echo "ok    sorvane-cli.exe takes the full-width quotation mark as itself"
  else
    echo "FAIL  sorvane-cli.exe on the full-width quotation mark:"
    cat err.txt
    status=1
  fi
  cd "$work"

  # Eight Windows runs in one folder at once take their turns: none loses another's character.
  mkdir -p cli-parallel
  pids=""
  for i in 0 1 2 3 4 5 6 7; do
    printf "\\210\\$(printf %03o $((0x9f + i)))" >"cli-parallel/t$i.txt"
    (cd cli-parallel && wine "$build/sorvane-cli.exe" scan --add "t$i.txt" >"out$i.txt" 2>&1) &
    pids="$pids $!"
  done
  failed=0
  for pid in $pids; do wait "$pid" || failed=$((failed + 1)); done
  registered=$(cd cli-parallel && "$linux_cli" show | sed -n 's/^registered list: \([0-9]*\).*/\1/p')
  if [ "$failed" = 0 ] && [ "$registered" = 8 ]; then
    echo "ok    eight sorvane-cli.exe runs at once register their eight characters"
  else
    echo "FAIL  eight sorvane-cli.exe runs at once: $failed failed, $registered registered"
    cat cli-parallel/out*.txt
    status=1
  fi
fi

for picture in ja en busy; do
  [ -f "window-$picture.bmp" ] && convert "window-$picture.bmp" "$build/window-$picture.png"
done
[ -f "$build/window-ja.png" ] && echo "pictures of the window: $build/window-ja.png $build/window-en.png $build/window-busy.png"
exit "$status"
