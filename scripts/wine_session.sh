# Sourced by the scripts that run Windows programs: a display (Xvfb when there is none),
# a private Wine prefix under the build folder, more of both for the end-to-end tests to
# run side by side, and the clean-up of all.

FUDEKKO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$FUDEKKO_ROOT/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

started_xvfb_pids=()
wine_prefixes=("$WINEPREFIX")

# Starts an Xvfb of our own and sets started_display. Xvfb picks a free display number
# itself (-displayfd) and writes it once it takes clients, so runs that start together
# never share a display.
start_xvfb() {
  local fifo number=""
  fifo=$(mktemp -u) && mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  started_xvfb_pids+=($!)
  # Ends empty when Xvfb ends without a display.
  read -r number <"$fifo" || true
  rm -f "$fifo"
  if [ -z "$number" ] || ! DISPLAY=":$number" xdpyinfo >/dev/null 2>&1; then
    echo "Xvfb did not start" >&2
    return 1
  fi
  started_display=":$number"
}

start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return
  fi
  start_xvfb
  export DISPLAY=$started_display
}

# Makes the Wine prefix named as argument once. Its Wine server is kept up (-p) while
# its programs run one after another: a server that a program starts ends with its last
# program, and a program started while one is still ending fails on a loaded machine.
ensure_wine_prefix() {
  local prefix=$1 font
  [ -f "$prefix/.fudekko-ready" ] && return
  mkdir -p "$prefix"
  if ! WINEPREFIX=$prefix wineserver -p >/dev/null 2>&1; then
    echo "could not start a Wine server for $prefix" >&2
    return 1
  fi
  if ! WINEPREFIX=$prefix wineboot -i >/dev/null 2>&1; then
    echo "wineboot could not make the Wine prefix $prefix" >&2
    return 1
  fi
  # Japanese glyphs for Wine's own interface fonts (captions, menus, dialogs), so a
  # machine without a Japanese locale still shows Japanese text.
  for font in Tahoma "Microsoft Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2" "Segoe UI"; do
    WINEPREFIX=$prefix wine reg add \
      'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$font" /t REG_MULTI_SZ /d "ipagp.ttf,IPAPGothic" /f >/dev/null
  done
  # Without a window manager (Xvfb), Wine draws the window frames itself.
  WINEPREFIX=$prefix wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
  # Ending the server writes the registry to the prefix.
  WINEPREFIX=$prefix wineserver -k
  WINEPREFIX=$prefix wineserver -w
  touch "$prefix/.fudekko-ready"
}

# Slots for the end-to-end tests to run side by side, as many as the argument: each a
# Wine prefix and a display that no other running test uses. Slot 0 is the prefix and
# display above, each other one a prefix beside it on an Xvfb of its own. CTest hands
# them out as the resource "wine_prefixes" of the file named in wine_slots_spec; a test
# finds its slot's prefix and display in FUDEKKO_WINE_SLOT_<id>_PREFIX and _DISPLAY.
prepare_wine_slots() {
  local count=$1 slot prefix display ids=()
  for ((slot = 0; slot < count; slot++)); do
    prefix=$WINEPREFIX display=$DISPLAY
    if ((slot > 0)); then
      prefix=$WINEPREFIX-$slot
      start_xvfb
      display=$started_display
      ensure_wine_prefix "$prefix"
      wine_prefixes+=("$prefix")
    fi
    export "FUDEKKO_WINE_SLOT_${slot}_PREFIX=$prefix" "FUDEKKO_WINE_SLOT_${slot}_DISPLAY=$display"
    ids+=("{\"id\": \"$slot\"}")
  done
  wine_slots_spec=$FUDEKKO_ROOT/build/wine_slots.json
  local IFS=,
  printf '{"version": {"major": 1, "minor": 0}, "local": [{"wine_prefixes": [%s]}]}\n' \
    "${ids[*]}" >"$wine_slots_spec"
}

end_wine_session() {
  local prefix pid
  for prefix in "${wine_prefixes[@]}"; do
    WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
  done
  for pid in "${started_xvfb_pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
}

# Everything the test and run commands do before running Windows programs: install
# what is missing, build the trees named as arguments (all three without any), then a
# display and the Wine prefix, all ended when the calling script exits.
prepare_wine_run() {
  bash "$FUDEKKO_ROOT/scripts/setup.sh"
  bash "$FUDEKKO_ROOT/scripts/build.sh" "$@"
  trap end_wine_session EXIT
  start_display
  ensure_wine_prefix "$WINEPREFIX"
}
