#!/usr/bin/env bash
# Configures and builds both trees: build/native (core, tests, tools, benchmarks)
# and build/windows (fudekko.exe and the Windows tools). With
# FUDEKKO_WARNINGS_AS_ERRORS=ON (as CI sets it) every warning fails the build.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
for preset in windows native; do
  cmake --preset "$preset" -DFUDEKKO_WARNINGS_AS_ERRORS="${FUDEKKO_WARNINGS_AS_ERRORS:-OFF}" \
    >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done
