#!/usr/bin/env bash
# Builds the Windows tree and runs the Wine benchmarks (bench/wine_bench.py), which print
# what a user waits for under Wine. An argument picks the cases whose names hold it.
set -euo pipefail
cd "$(dirname "$0")/.."

source scripts/wine_session.sh
prepare_wine_run windows

python3 bench/wine_bench.py "$@"
