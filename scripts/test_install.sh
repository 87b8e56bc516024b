#!/usr/bin/env bash
# Checks the library as another project gets it: for each build preset
# given, installs the build into a temporary prefix, builds a copy of
# examples/recolor against that prefix alone (not the build tree, not the
# sources), runs it on each case of tests/install and compares the
# rewritten exchange file byte for byte and the exit status with the
# expected ones. For the native release build it also compiles every
# installed header on its own, which fails should one need a header that is
# not installed. Part of scripts/test.sh.
# Usage: scripts/test_install.sh PRESET...   (release, asan, windows)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
export WINEDEBUG=-all

tmp=$(mktemp -d "${TMPDIR:-/tmp}/cadxform_install.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

# Runs a command quietly; shows its output when it fails.
quiet() {
  "$@" >"$tmp/log" 2>&1 || { cat "$tmp/log" >&2; echo "test_install: failed: $*" >&2; return 1; }
}

# Every public header compiles alone with the prefix as the only include
# folder.
check_headers() {  # check_headers PREFIX
  local header
  for header in "$1"/include/cadxform/*.h; do
    g++ -std=c++20 -Wall -Wextra -Wpedantic -Wshadow -Werror -fsyntax-only -I "$1/include" -x c++ - \
      <<<"#include <cadxform/$(basename "$header")>" ||
      { echo "test_install: $header does not compile on its own" >&2; return 1; }
  done
}

# Runs the recolor executable on one case folder; 0 when the bytes and the
# exit status are as expected.
run_case() {  # run_case EXE CASE_DIR
  local exe=$1 case_dir=$2 dir="$tmp/run" status=0
  rm -rf "$dir" && mkdir "$dir"
  cp "$exe" "$dir/"
  [ -f "$case_dir/input.txt" ] && cp "$case_dir/input.txt" "$dir/ZPH_TEMP.TXT"
  local -a args
  mapfile -t args <"$case_dir/args"
  case $exe in
    *.exe) wine "$dir/$(basename "$exe")" "${args[@]}" 2>/dev/null || status=$? ;;
    *) "$dir/$(basename "$exe")" "${args[@]}" 2>/dev/null || status=$? ;;
  esac
  if [ "$status" != "$(cat "$case_dir/status")" ]; then
    echo "test_install: $(basename "$case_dir"): exit status $status, expected $(cat "$case_dir/status")" >&2
    return 1
  fi
  cmp "$dir/ZPH_TEMP.TXT" "$case_dir/expected.txt" ||
    { echo "test_install: $(basename "$case_dir"): the rewritten file differs" >&2; return 1; }
}

for preset in "$@"; do
  build="$root/build/$preset"
  [ -f "$build/CMakeCache.txt" ] || quiet cmake --preset "$preset"
  quiet cmake --build --preset "$preset" -j 2 --target cadxform_exchange
  prefix="$tmp/$preset/prefix"
  quiet cmake --install "$build" --prefix "$prefix"

  # A copy of the example in a folder of its own: nothing of this tree is
  # on any path but the installed prefix.
  cp -r examples/recolor "$tmp/$preset/recolor"
  config=(-G Ninja -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
          -DCMAKE_FIND_USE_SYSTEM_PACKAGE_REGISTRY=OFF)
  case $preset in
    windows) config+=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake") ;;
    asan) config+=(-DCMAKE_BUILD_TYPE=Debug
                   -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all") ;;
    *) config+=(-DCMAKE_BUILD_TYPE=Release) ;;
  esac
  quiet cmake -S "$tmp/$preset/recolor" -B "$tmp/$preset/build" "${config[@]}"
  quiet cmake --build "$tmp/$preset/build"
  exe="$tmp/$preset/build/recolor"
  [ "$preset" = windows ] && exe+=.exe

  for case_dir in tests/install/*/; do
    run_case "$exe" "${case_dir%/}"
  done
  [ "$preset" = release ] && check_headers "$prefix"
  echo "test_install: $preset: installed, recolor built against the prefix, $(ls -d tests/install/*/ | wc -l) cases pass"
done
