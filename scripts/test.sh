#!/usr/bin/env bash
# Sets up a fresh machine, builds both trees and runs every test: the native unit and
# oracle tests and the end-to-end tests of the real programs under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

source scripts/wine_session.sh
prepare_wine_run

ctest --preset native -j "$(nproc)" "$@"
