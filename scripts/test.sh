#!/usr/bin/env bash
# Builds and runs every test: native release, native with AddressSanitizer
# and UndefinedBehaviorSanitizer, and the Windows (i686) build under Wine;
# then the installed library (examples/recolor built against an installed
# prefix of each build) and the release package (two builds compared byte
# for byte).
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
echo "=== install: the library package and examples/recolor built on it"
scripts/test_install.sh release asan windows
echo "=== package: reproducible build and contents"
scripts/check_package.sh
echo "=== all tests passed"
