#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite.
# Usage: bash tools/test.sh [preset ...]   (presets: default, asan, tsan; default: default)
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(default)
for preset in "${presets[@]}"; do
  echo "== $preset"
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
