#!/usr/bin/env bash
# Installs what is missing, builds the release build and starts the game from the repository
# root. Without a display the game runs inside a virtual X server.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target kelvaris

if [ -n "${DISPLAY:-}" ]; then
  exec build/release/app/kelvaris "$@"
fi
exec xvfb-run -a -s "-screen 0 1280x720x24" build/release/app/kelvaris "$@"
