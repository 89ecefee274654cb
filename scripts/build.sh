#!/usr/bin/env bash
# Configures and builds both trees: build/native (core, tests, tools, benchmarks)
# and build/windows (fudekko.exe and the Windows tools).
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
for preset in windows native; do
  if [ ! -f "build/$preset/CMakeCache.txt" ]; then
    cmake --preset "$preset" >/dev/null
  fi
  cmake --build --preset "$preset" -j "$jobs"
done
