#!/usr/bin/env bash
# Writes every generated file of the data tree GAME/ from the programs in tools/: textures, the
# documents' images, sounds, tile maps, meshes and effect prefabs. The rest of GAME/ (scenes,
# scripts, documents, shaders, materials, fonts) is written by hand.
#
#   scripts/make_assets.sh           rewrite the generated files of GAME/ in place
#   scripts/make_assets.sh --check   write them into a scratch folder and compare them byte for
#                                    byte with GAME/; names each file that differs, exits with 1
#
# The tools use Python's standard library only; the sounds need sox (tools/make_sounds.sh
# installs it when missing).
set -euo pipefail
cd "$(dirname "$0")/.."

check=false
case "${1:-}" in
  "") ;;
  --check) check=true ;;
  *) echo "usage: scripts/make_assets.sh [--check]" >&2; exit 2 ;;
esac

root=.
if $check; then
  root="$(mktemp -d)"
  trap 'rm -rf "$root"' EXIT
  # The tools write into folders that exist.
  (cd GAME && find . -type d -print0) | (cd "$root" && mkdir -p GAME && cd GAME && xargs -0 mkdir -p)
fi

# The Debian interpreter, as the tools' own first lines name it.
python=/usr/bin/python3
assets="$root/GAME/Assets"

"$python" tools/make_physics_textures.py "$assets/Textures"
"$python" tools/make_debug_circles.py "$assets/Textures"
"$python" tools/make_scene_textures.py "$assets/Textures"
"$python" tools/make_sprite_font.py "$assets/Textures"
"$python" tools/make_wind_noise.py "$assets/Textures"
"$python" tools/make_logo_icon.py "$assets/Textures/logo_icon.png"
"$python" tools/make_particle_texture.py "$assets/Textures/Particles"
"$python" tools/make_hud_images.py "$assets/RML/images"
"$python" tools/make_main_menu_images.py "$assets/RML/images"
"$python" tools/make_menu_images.py "$assets/RML/images"
"$python" tools/make_sample_panel_images.py "$assets/RML/images"
"$python" tools/make_effect_prefabs.py "$assets/Entity Prefabs"
"$python" tools/make_weather_prefabs.py "$assets/Entity Prefabs"
# These take the repository root and write to their fixed places under GAME/.
for tool in make_ring_art make_ring_mesh make_sprite_sheets make_meadow_level make_stone_levels \
            make_tutorial_level; do
  "$python" "tools/$tool.py" "$root"
done
tools/make_sounds.sh "$assets/Audio"

if $check; then
  compared=0
  differ=0
  while IFS= read -r -d '' file; do
    name="${file#"$root"/}"
    compared=$((compared + 1))
    if ! cmp -s "$file" "$name"; then
      echo "make_assets: $name is not what tools/ write (run scripts/make_assets.sh)"
      differ=$((differ + 1))
    fi
  done < <(find "$root/GAME" -type f -print0)
  if [ "$differ" -ne 0 ]; then
    exit 1
  fi
  echo "make_assets: the $compared files tools/ write match GAME/ byte for byte"
fi
