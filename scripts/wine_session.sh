# Sourced by the scripts that run Windows programs: a display (Xvfb when there is
# none), a private Wine prefix under the build folder, and the clean-up of both.

FUDEKKO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$FUDEKKO_ROOT/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

started_xvfb_pid=""

start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return
  fi
  local number
  for number in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ] || break
  done
  Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  started_xvfb_pid=$!
  export DISPLAY=":$number"
  for _ in $(seq 1 100); do
    xdpyinfo >/dev/null 2>&1 && return
    sleep 0.1
  done
  echo "Xvfb did not start on $DISPLAY" >&2
  return 1
}

# Makes the Wine prefix once. Its Wine server is kept up (-p) while its programs run one
# after another: a server that a program starts ends with its last program, and a
# program started while one is still ending fails on a loaded machine.
ensure_wine_prefix() {
  local font
  [ -f "$WINEPREFIX/.fudekko-ready" ] && return
  mkdir -p "$WINEPREFIX"
  if ! wineserver -p >/dev/null 2>&1; then
    echo "could not start a Wine server for $WINEPREFIX" >&2
    return 1
  fi
  if ! wineboot -i >/dev/null 2>&1; then
    echo "wineboot could not make the Wine prefix $WINEPREFIX" >&2
    return 1
  fi
  # Japanese glyphs for Wine's own interface fonts (captions, menus, dialogs), so a
  # machine without a Japanese locale still shows Japanese text.
  for font in Tahoma "Microsoft Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2" "Segoe UI"; do
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$font" /t REG_MULTI_SZ /d "ipagp.ttf,IPAPGothic" /f >/dev/null
  done
  # Without a window manager (Xvfb), Wine draws the window frames itself.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
  # Ending the server writes the registry to the prefix.
  wineserver -k
  wineserver -w
  touch "$WINEPREFIX/.fudekko-ready"
}

end_wine_session() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$started_xvfb_pid" ]; then
    kill "$started_xvfb_pid" 2>/dev/null || true
    wait "$started_xvfb_pid" 2>/dev/null || true
  fi
}

# Everything the test and run commands do before running Windows programs: install
# what is missing, build the trees named as arguments (all three without any), then a
# display and the Wine prefix, all ended when the calling script exits.
prepare_wine_run() {
  bash "$FUDEKKO_ROOT/scripts/setup.sh"
  bash "$FUDEKKO_ROOT/scripts/build.sh" "$@"
  trap end_wine_session EXIT
  start_display
  ensure_wine_prefix
}
