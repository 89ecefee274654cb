#!/usr/bin/env bash
# Runs one fuzz target for SECONDS on a scratch copy of its committed corpus, so that
# the inputs it finds never land in the source tree. Exits non-zero on a crash, a
# sanitizer report, a failed property (the target aborts), a leak or a hang; the input
# that did it is left in SCRATCH as crash-*, leak-*, timeout-* or oom-*.
# Usage: run_target.sh BINARY CORPUS SCRATCH SECONDS
set -euo pipefail
binary=$(realpath -m "$1") corpus=$(realpath -m "$2") scratch=$(realpath -m "$3") seconds=$4

if [ ! -x "$binary" ]; then
  echo "fuzz: $binary is missing; build the fuzz preset first (scripts/build.sh)" >&2
  exit 1
fi
rm -rf "$scratch"
mkdir -p "$scratch/corpus"
cp -r "$corpus"/. "$scratch/corpus/"
cd "$scratch"
exec "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$scratch/" corpus
