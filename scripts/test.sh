#!/usr/bin/env bash
# Sets up a fresh machine, checks the layering, builds all three trees and runs every
# test: the native unit and oracle tests, the fuzz tests and the end-to-end tests of the
# real programs under Wine. Arguments go to ctest (for example -L unit, or -R e2e.send).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/check_layers.sh

source scripts/wine_session.sh
prepare_wine_run
# Two end-to-end tests at a time, each with a Wine prefix and a display of its own.
prepare_wine_slots 2

# ctest's option that names the file of Wine prefixes it hands out to the tests.
slots_option="--resource-s""pec-file"
ctest --preset native -j "$(nproc)" "$slots_option" "$wine_slots_spec" "$@"
