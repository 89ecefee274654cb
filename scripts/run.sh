#!/usr/bin/env bash
# Sets up a fresh machine, builds fudekko.exe and runs it under Wine on the bundled
# Japanese sample draft. With a display, a person uses the window until closing it;
# without one, the script starts Xvfb, photographs the window and closes it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
bash scripts/build.sh

had_display=""
[ -n "${DISPLAY:-}" ] && had_display=yes
source scripts/wine_session.sh
trap end_wine_session EXIT
start_display
ensure_wine_prefix

out="$FUDEKKO_ROOT/build/run"
rm -rf "$out" && mkdir -p "$out"
cp build/windows/fudekko.exe "$out/"
cp tools/samples/sample_draft.txt "$out/draft.txt"
draft=$(winepath -w "$out/draft.txt")

if [ -n "$had_display" ] && [ -z "$started_xvfb_pid" ]; then
  wine "$out/fudekko.exe" /GIF "$draft"
else
  wine "$out/fudekko.exe" /GIF "$draft" &
  program=$!
  driver="build/windows/tools/e2e_driver/e2e_driver.exe"
  window=$(wine "$driver" find "ふでっこ" --visible --timeout 20000 | tr -d '\r')
  wine "$driver" screenshot "$window" "$(winepath -w "$out/main_window.bmp")"
  wine "$driver" post "$window" 16 0 0
  wait "$program"
  echo "No display: the window was photographed and closed; see $out"
fi
