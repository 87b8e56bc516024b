#!/usr/bin/env bash
# Shows that a change leaves every output byte-identical: the tool of an
# earlier revision and of the current tree rewrite the same generated
# drawings into the same bytes, natively and as the Windows exe under Wine.
#
#   bench/compare_outputs.sh BASE_REV [SIZES]
#
# 1. Builds the native release tool and the Windows exe (cmake/mingw-i686.cmake)
#    of BASE_REV in a git worktree, build/compare/base/src, with its builds in
#    build/compare/base/{release,windows}; and those of the current tree, with
#    its uncommitted changes, in build/compare/head/{release,windows}. Tests
#    are not built; the builds are incremental, so a second run against the
#    same revision builds nothing.
# 2. Generates the drawings of SIZES entities (default "10000 1000000
#    4000000") with the current tree's cadxform_gen, in the cache that
#    bench/run.sh uses and under the same names (BENCH_DATA, BENCH_SEED).
# 3. For each size, runs the translation (1 1 110 220), the two-point
#    transform (1 3 0 0 10 50) and both over the first layer group only
#    (0 1 110 220, 0 3 0 0 10 50), each build on a fresh copy of the drawing
#    named ZPH_TEMP.TXT beside a copy of its executable. A run passes when it
#    exits with status 0 and its output starts with "hd", so two equal
#    failure messages never count as equal outputs. Compares with cmp the
#    base and head native outputs, the base and head Windows outputs, and
#    the head native and Windows outputs, and prints one line for each:
#    size, arguments, bytes, and "identical" or where the first difference is.
#    Differing outputs are kept in build/compare/differences.
#
# Exits with status 1 when any run fails or any output differs. Needs Ninja,
# i686-w64-mingw32-g++-posix and wine; builds use nice and -j2.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: bench/compare_outputs.sh BASE_REV [SIZES]" >&2
  exit 2
fi
base_rev=$(git rev-parse --verify --quiet "$1^{commit}") || { echo "not a revision: $1" >&2; exit 2; }
sizes=${2:-"10000 1000000 4000000"}
out=$root/build/compare
mkdir -p "$out"
buildlog=$out/build.log
source "$root/bench/common.sh"

# build_tool SRC DIR TARGET... [-- CMAKE_OPTION...]: the native release
# build of SRC in DIR/release (the given targets) and its Windows exe in
# DIR/windows.
build_tool() {
  local src=$1 dir=$2 targets=() options=()
  shift 2
  while [ $# -gt 0 ] && [ "$1" != -- ]; do targets+=("$1"); shift; done
  [ $# -gt 0 ] && shift && options=("$@")
  if [ ! -f "$dir/release/CMakeCache.txt" ]; then
    quiet nice cmake -S "$src" -B "$dir/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCADXFORM_TESTS=OFF "${options[@]}"
  fi
  quiet nice cmake --build "$dir/release" -j2 --target "${targets[@]}"
  if [ ! -f "$dir/windows/CMakeCache.txt" ]; then
    quiet nice cmake -S "$src" -B "$dir/windows" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DCADXFORM_TESTS=OFF
  fi
  quiet nice cmake --build "$dir/windows" -j2 --target cadxform
}

echo "=== base $(git log -1 --format='%h %s' "$base_rev")"
git worktree prune
if [ -e "$out/base/src/.git" ]; then
  git -C "$out/base/src" checkout -q --force --detach "$base_rev"
else
  git worktree add -q --force --detach "$out/base/src" "$base_rev"
fi
build_tool "$out/base/src" "$out/base" cadxform
echo "=== head $(git log -1 --format='%h %s' HEAD)$(git diff --quiet HEAD || echo ' + uncommitted changes')"
build_tool "$root" "$out/head" cadxform cadxform_gen -- -DCADXFORM_BENCH=ON

# shellcheck disable=SC2086  # the sizes are meant to split
make_drawings "$out/head/release/bench/cadxform_gen" $sizes

# One folder per build, holding a copy of its executable and its last output.
work=$data/compare
rm -rf "$work" "$out/differences"
declare -A exe=([base-native]=$out/base/release/cadxform [head-native]=$out/head/release/cadxform
  [base-windows]=$out/base/windows/cadxform.exe [head-windows]=$out/head/windows/cadxform.exe)
for build in "${!exe[@]}"; do
  mkdir -p "$work/$build"
  cp "${exe[$build]}" "$work/$build/"
done
keep_wine_up

# run_tool BUILD INPUT ARGS...: rewrites a fresh copy of INPUT with BUILD's
# executable; writes why the run failed to $work/BUILD.failed.
run_tool() {
  local build=$1 input=$2 st=0 start
  shift 2
  local prog
  prog=$work/$build/$(basename "${exe[$build]}")
  if [[ $prog == *.exe ]]; then set -- wine "$prog" "$@"; else set -- "$prog" "$@"; fi
  rm -f "$work/$build.failed"
  cp "$input" "$work/$build/ZPH_TEMP.TXT"
  "$@" </dev/null >"$work/$build.log" 2>&1 || st=$?
  start=$(head -c 2 "$work/$build/ZPH_TEMP.TXT" 2>/dev/null || true)
  if [ "$st" != 0 ] || [ "$start" != hd ]; then
    echo "$build failed: exit status $st, output starts with '$start'" >"$work/$build.failed"
  fi
}

# compare N ARGS A B: prints the line comparing the outputs of builds A and B;
# counts a failed run or a difference in $differences and keeps differing
# outputs in build/compare/differences.
differences=0
compare() {
  local n=$1 args=$2 a=$3 b=$4 result bytes
  local fa=$work/$a/ZPH_TEMP.TXT fb=$work/$b/ZPH_TEMP.TXT
  bytes=$(stat -c %s "$fa" 2>/dev/null || echo -)
  if [ -f "$work/$a.failed" ] || [ -f "$work/$b.failed" ]; then
    result=$(cat "$work/$a.failed" "$work/$b.failed" 2>/dev/null | paste -sd ';')
  elif cmp -s "$fa" "$fb"; then
    result=identical
  else
    bytes+=/$(stat -c %s "$fb")
    result="DIFFERENT, $(cmp "$fa" "$fb" 2>&1 | sed "s|$fa|$a|; s|$fb|$b|; s|^cmp: ||; s|.* differ: |first difference at |" || true)"
    mkdir -p "$out/differences"
    cp "$fa" "$out/differences/${n}_${args// /_}_$a.txt"
    cp "$fb" "$out/differences/${n}_${args// /_}_$b.txt"
  fi
  [ "$result" = identical ] || differences=$((differences + 1))
  printf '%8s  %-15s %-28s %10s  %s\n' "$n" "$args" "$a vs $b" "$bytes" "$result"
}

echo
printf '%8s  %-15s %-28s %10s  %s\n' entities arguments comparison bytes result
total=0
for n in $sizes; do
  for args in "1 1 110 220" "1 3 0 0 10 50" "0 1 110 220" "0 3 0 0 10 50"; do
    for build in base-native head-native base-windows head-windows; do
      # shellcheck disable=SC2086  # the arguments are meant to split
      run_tool "$build" "$(drawing "$n")" $args
    done
    compare "$n" "$args" base-native head-native
    compare "$n" "$args" base-windows head-windows
    compare "$n" "$args" head-native head-windows
    total=$((total + 3))
  done
done
rm -rf "$work"
exec {winekeeper}>&-

echo
echo "$differences of $total comparisons failed or differ"
[ "$differences" = 0 ]
