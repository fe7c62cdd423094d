#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Kelvaris need, skipping
# those already present. Runs apt as root, or through sudo when started as another user.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache lld python3-glad
  libglfw3-dev libglm-dev nlohmann-json3-dev libstb-dev libfreetype-dev liblua5.4-dev
  libpugixml-dev libopenal-dev libsndfile1-dev libgl-dev libgl1-mesa-dri
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth fonts-dejavu-core clang-format
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "install-deps: missing packages (${missing[*]}) and neither root nor sudo to install them" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
