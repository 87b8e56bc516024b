#!/usr/bin/env bash
# Builds and runs every test, stage by stage:
#   release   native release build and its tests
#   asan      native debug build with AddressSanitizer and
#             UndefinedBehaviorSanitizer and its tests
#   portable  the asan build again with the portable code in place of the
#             SSE2 and 128-bit integer paths, and its tests
#   windows   the Windows (i686) build and its tests under Wine
#   install   the installed library: examples/recolor built against an
#             installed prefix of each of the three builds
#   package   the release package: two builds compared byte for byte
#   tsan      ThreadSanitizer (clang): the unit tests and the tool on a
#             drawing large enough for every two-thread path
#             (scripts/test_threads.sh)
#   fuzz      the fuzz preset (clang, ASan + UBSan) built and each fuzz
#             target run for 20 seconds (scripts/fuzz.sh)
# Installs what is missing first, then runs the stages named (default: all,
# in this order; install needs the three builds) and prints the time each
# took. Usage: scripts/test.sh [STAGE...]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
export WINEDEBUG=-all
jobs=$(nproc)

build_and_test() {  # build_and_test PRESET
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" -j "$jobs"
  ctest --preset "$1" -j "$jobs"
}

stage() {
  case "$1" in
    release | asan | portable | windows) build_and_test "$1" ;;
    install) scripts/test_install.sh release asan windows ;;
    package) scripts/check_package.sh ;;
    tsan) scripts/test_threads.sh ;;
    fuzz)
      rm -rf build/fuzz/brief
      scripts/fuzz.sh 20 build/fuzz/brief build/fuzz/brief/findings
      ;;
    *)
      echo "test.sh: no stage '$1'" >&2
      exit 2
      ;;
  esac
}

stages=("$@")
[ "${#stages[@]}" -gt 0 ] || stages=(release asan portable windows install package tsan fuzz)
for s in "${stages[@]}"; do
  echo "=== $s"
  start=$SECONDS
  stage "$s"
  echo "=== $s: passed in $((SECONDS - start)) s"
done
if [ "$#" -eq 0 ]; then echo "=== all tests passed"; else echo "=== passed: ${stages[*]}"; fi
