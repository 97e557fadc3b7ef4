#!/usr/bin/env bash
# Installs the Debian 12 packages the build, tests, benchmarks and fuzzing need. Idempotent:
# apt-get runs only when something is missing. Needs root (or sudo) the first time.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev liblz4-dev libpixman-1-dev
  libsdl2-dev libsdl2-image-dev libsndfile1-dev libimgui-dev
  libfreetype-dev libfontconfig-dev fonts-noto-cjk
  fonts-aoyagi-kouzan-t fonts-mplus fonts-motoya-l-maruberi fonts-kiloji
  xvfb xauth
  sox  # inspecting the generated sounds (docs/assets.md)
  libgl-dev libegl-dev libgl1-mesa-dri libegl-mesa0
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "setup: installing ${missing[*]}"
as_root=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "setup: need root to install ${missing[*]}" >&2; exit 1; }
  as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
