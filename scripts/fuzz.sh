#!/usr/bin/env bash
# Builds the fuzz targets (preset "fuzz": clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each one after the other for SECONDS (default
# 20) on a scratch copy of its committed corpus in build/fuzz/run/<target>. Fails on
# the first crash, sanitizer report or failed property; the input that did it is left
# in that folder. A longer run is the same command with a larger number.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET ...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
shift || true
targets=("$@")
if ((${#targets[@]} == 0)); then
  targets=(ini_file command_line file_name bmp_reader writers shift_jis draft_intake)
fi

bash scripts/setup.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

for target in "${targets[@]}"; do
  echo "fuzz: $target for ${seconds} s"
  log="build/fuzz/run/$target.log"
  mkdir -p build/fuzz/run
  if ! bash tests/fuzz/run_target.sh "build/fuzz/tests/fuzz/fuzz_$target" \
    "tests/fuzz/corpus/$target" "build/fuzz/run/$target" "$seconds" >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "fuzz: $target FAILED; the input is in build/fuzz/run/$target/, the log in $log" >&2
    exit 1
  fi
  grep -E '^Done' "$log" | sed "s/^/fuzz: $target: /"
done
echo "fuzz: all ${#targets[@]} targets passed"
