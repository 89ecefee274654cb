#!/usr/bin/env bash
# Configures and builds the trees named as arguments, by default all three:
# build/windows (fudekko.exe and the Windows tools), build/fuzz (the fuzz targets,
# clang with sanitizers) and build/native (core, tests, tools, benchmarks; its fuzz
# tests run the targets of build/fuzz). With FUDEKKO_WARNINGS_AS_ERRORS=ON (as CI sets
# it) every warning fails the build.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(windows fuzz native)
for preset in "${presets[@]}"; do
  cmake --preset "$preset" -DFUDEKKO_WARNINGS_AS_ERRORS="${FUDEKKO_WARNINGS_AS_ERRORS:-OFF}" \
    >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done
