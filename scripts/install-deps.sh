#!/usr/bin/env bash
# Installs the Debian 12 packages Lumenpad needs to build, run and test.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libegl-dev
  libgl1 libegl1 libglu1-mesa libegl-mesa0 libgl1-mesa-dri
  glslang-dev glslang-tools spirv-tools khronos-api python3 python3-jsonschema
  googletest libgtest-dev libgmock-dev
  xvfb xauth xdotool xclip imagemagick x11-utils openbox wmctrl libxdamage-dev libxtst-dev
  clang libclang-rt-14-dev binutils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
