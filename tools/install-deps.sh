#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the demonstration and the test suite need.
# Safe to run again: packages already present are skipped.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  libsdl2-dev libvulkan-dev mesa-vulkan-drivers vulkan-validationlayers vulkan-tools
  glslang-dev glslang-tools spirv-tools
  zlib1g-dev libgtest-dev libgmock-dev googletest libbenchmark-dev
  xvfb xauth x11-utils imagemagick
  g++-mingw-w64-x86-64 mingw-w64-common mingw-w64-tools binutils-mingw-w64-x86-64
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
