#!/usr/bin/env bash
# Builds and runs every test: native release, native with AddressSanitizer
# and UndefinedBehaviorSanitizer, and the Windows (i686) build under Wine.
# Installs what is missing first. Usage: scripts/test.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
export WINEDEBUG=-all

jobs=$(nproc)
for preset in release asan windows; do
  echo "=== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "=== $preset: test"
  ctest --preset "$preset" -j "$jobs"
done
echo "=== all tests passed"
