# Sourced by the tests under Wine: a private X server on a free display and a Wine prefix
# booted in it, in the Japanese locale (Wine takes its ANSI code page from the locale, and
# Japanese gives code page 932). Set WINEPREFIX first; logs go into the folder given.
#
#   start_wine_session LOG_FOLDER     ...     end_wine_session
export LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
xvfb_pid=""

start_wine_session() {
  # Xvfb tells the number of the display it took on a file descriptor.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$1/display" 2>"$1/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$1/display" ] && break; sleep 0.1; done
  [ -s "$1/display" ] || { echo "Xvfb did not start:"; cat "$1/xvfb.log"; exit 1; }
  export DISPLAY=":$(cat "$1/display")"
  wineboot -i >"$1/wineboot.log" 2>&1 || true
  wineserver -w
}

# Ends the processes of this prefix, the ones the test started, and the X server.
end_wine_session() {
  wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
