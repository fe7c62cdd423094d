#!/usr/bin/env bash
# Builds the release preset and runs every benchmark program in bench/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
for program in build/release/bench/bench_*; do
  "$program" "$@"
done
