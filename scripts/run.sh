#!/usr/bin/env bash
# Sets up a fresh machine, builds fudekko.exe and the stand-in mail client and runs the
# whole round trip under Wine on the bundled Japanese sample draft: the stand-in starts
# Fudekko (/GIF) as its editor, the picture is drawn, Send hands it back and the
# stand-in shows the mail with the picture attached. With a display, a person draws and
# presses Send; without one, the script starts Xvfb and draws a few strokes itself.
# The screenshots and the written files end up in a folder named at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

source scripts/wine_session.sh
# The round trip runs only Windows programs: the other trees are not needed.
prepare_wine_run windows

if [ ${#started_xvfb_pids[@]} -eq 0 ]; then
  python3 scripts/round_trip_demo.py --person
else
  python3 scripts/round_trip_demo.py --scripted
fi
