#!/usr/bin/env bash
# Builds the libFuzzer target fuzz_TARGET with the fuzz preset (clang) and runs it for SECONDS
# over its corpus, build/fuzz/corpus/TARGET, seeded from the files the game ships. Findings
# (crash-*, leak-*, timeout-*, oom-*) land in build/fuzz/findings/TARGET.
# Usage: scripts/fuzz.sh TARGET SECONDS [more libFuzzer options]
# The message target starts the whole game with its window: run it under a display
# (xvfb-run -a scripts/fuzz.sh message SECONDS).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -lt 2 ]; then
  echo "usage: scripts/fuzz.sh TARGET SECONDS [libFuzzer options]" >&2
  exit 2
fi
target="$1"
seconds="$2"
shift 2

case "$target" in
  shader_preprocessor) seeds=(GAME/Shaders) ;;
  mesh) seeds=(GAME/Assets/Meshes GAME/Assets/Models) ;;
  controls) seeds=(GAME/Settings) ;;
  recording) seeds=(fuzz/seeds/recording) ;;
  diary) seeds=(fuzz/seeds/diary) ;;
  rcss | rml) seeds=(tests/rml/layout "fuzz/seeds/$target") ;;
  entity) seeds=(GAME/Scenes "GAME/Assets/Entity Prefabs") ;;
  scene_settings) seeds=(GAME/Scenes/Settings) ;;
  material) seeds=(GAME/Assets/Materials) ;;
  tilemap | model_list) seeds=(GAME/Assets/Tilemaps) ;;
  animation) seeds=(GAME/Assets/Animations) ;;
  sequence) seeds=(GAME/Assets/Audio/Sequences) ;;
  settings) seeds=(fuzz/seeds/settings) ;;
  message) seeds=(fuzz/seeds/messages) ;;
  *)
    echo "fuzz: unknown target '$target' (see fuzz/CMakeLists.txt)" >&2
    exit 2
    ;;
esac

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "fuzz_$target" -j "${FUZZ_JOBS:-3}"

corpus="build/fuzz/corpus/$target"
findings="build/fuzz/findings/$target"
mkdir -p "$corpus" "$findings"
# Seeds are copied by content so that files of the same name in different folders all count.
find "${seeds[@]}" -type f -size -64k -print0 |
  while IFS= read -r -d '' seed; do
    cp "$seed" "$corpus/seed-$(sha1sum "$seed" | cut -c1-16)"
  done

# The message target keeps the running game from one input to the next, so an input that leaves
# more allocated than it freed is the game keeping state, not a leak, and checking that after
# each input scans the whole game's heap. Its allocator keeps a smaller quarantine of freed
# memory and hands freed pages back: the game under the sanitizer and the software renderer
# starts at about 1.3 GB resident. The software renderer works on one thread: a run is pinned to
# one core, where more rasteriser threads would only take turns.
extra=()
if [ "$target" = message ]; then
  extra=(-detect_leaks=0)
  export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=64:allocator_release_to_os_interval_ms=1000}"
  export LP_NUM_THREADS="${LP_NUM_THREADS:-1}"
fi

# A run fails on a crash, a sanitizer report, an input taking over 1 s or memory over 2 GB.
exec "build/fuzz/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=1 -rss_limit_mb=2048 \
  -max_len=65536 -artifact_prefix="$findings/" -print_final_stats=1 "${extra[@]}" "$@" "$corpus"
