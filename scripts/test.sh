#!/usr/bin/env bash
# Sets up a fresh machine, builds both trees and runs every test: the native unit and
# oracle tests and the end-to-end tests of the real programs under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
bash scripts/build.sh

source scripts/wine_session.sh
trap end_wine_session EXIT
start_display
ensure_wine_prefix

ctest --preset native -j "$(nproc)" "$@"
