#!/usr/bin/env bash
# Fails when an include crosses a layer upwards, reaches the composition root, brings
# Win32 code into a portable file or closes a cycle (scripts/include_rules.py).
set -euo pipefail
exec python3 "$(dirname "$0")/include_rules.py" "$@"
