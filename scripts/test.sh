#!/usr/bin/env bash
# Installs what is missing, builds a preset (default: debug) and runs every test. Tests that
# need OpenGL (label "gl") share one virtual X server when there is no display.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-debug}"

scripts/install-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"

# CMAKE_BUILD_PARALLEL_LEVEL and CTEST_PARALLEL_LEVEL limit the jobs on a shared machine.
run_tests=(ctest --preset "$preset" --parallel "${CTEST_PARALLEL_LEVEL:-$(nproc)}")
if [ -n "${DISPLAY:-}" ]; then
  exec "${run_tests[@]}"
fi
# -noreset: the server must outlive each test's last window, or the next test finds no display.
exec xvfb-run -a -s "-screen 0 1280x720x24 -noreset" "${run_tests[@]}"
