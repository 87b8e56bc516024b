#!/usr/bin/env bash
# Interleaved before/after timing of a change: the tool of an earlier
# revision (base) and of the current tree (head) run one after the other on
# fresh copies of the same generated drawings, the order swapped every
# pair, so that a machine whose speed drifts slows both alike.
#
#   bench/pairs.sh [SIZES]     (default "10000 1000000")
#
# Uses the native builds bench/compare_outputs.sh leaves in
# build/compare/base/release and build/compare/head/release (run it first:
# it builds both and checks their outputs are identical) and
# cadxform_runstat from build/bench (bench/run.sh builds it; built here when
# missing). For each size, the translation (1 1 110 220) and the two-point
# transform (1 3 0 0 10 50) run BENCH_PAIRS times each (default 11). Prints
# per size and run: the median wall and CPU time of base and head, head /
# base, and the largest peak resident memory of each.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
sizes=${1:-"10000 1000000"}
pairs=${BENCH_PAIRS:-11}
build=$root/build/bench
buildlog=$build/pairs_build.log
source "$root/bench/common.sh"

base=$root/build/compare/base/release/cadxform
head=$root/build/compare/head/release/cadxform
for exe in "$base" "$head"; do
  [ -x "$exe" ] || { echo "pairs: $exe missing; run bench/compare_outputs.sh first" >&2; exit 2; }
done
mkdir -p "$build"
if [ ! -f "$build/CMakeCache.txt" ]; then
  quiet cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCADXFORM_BENCH=ON -DCADXFORM_TESTS=OFF
fi
quiet cmake --build "$build" --target cadxform_gen cadxform_runstat
runstat=$build/bench/cadxform_runstat
make_drawings "$build/bench/cadxform_gen" $sizes

work=$(mktemp -d "${TMPDIR:-/tmp}/cadxform_pairs.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/base" "$work/head"
cp "$base" "$work/base/cadxform"
cp "$head" "$work/head/cadxform"

# run WHICH DRAWING ARGS...: one timed run on a fresh copy; appends
# "wall cpu rss" to $work/WHICH.times.
run() {
  local which=$1 input=$2 t rss st cpu
  shift 2
  cp "$input" "$work/$which/ZPH_TEMP.TXT"
  read -r t rss st cpu < <("$runstat" --quiet "$work/$which/cadxform" "$@")
  [ "$st" = 0 ] || { echo "pairs: $which exited with $st" >&2; exit 1; }
  echo "$t $cpu $rss" >>"$work/$which.times"
}

# median COLUMN FILE
median() { awk -v c="$1" '{print $c}' "$2" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
largest() { awk -v c="$1" '{print $c}' "$2" | sort -g | tail -1; }

printf '%-9s %-12s %10s %10s %7s %10s %10s %7s %9s %9s\n' entities run "base wall" "head wall" ratio \
  "base CPU" "head CPU" ratio "base MB" "head MB"
for n in $sizes; do
  input=$(drawing "$n")
  for args in "1 1 110 220" "1 3 0 0 10 50"; do
    rm -f "$work"/*.times
    for i in $(seq "$pairs"); do
      if [ $((i % 2)) = 1 ]; then run base "$input" $args; run head "$input" $args
      else run head "$input" $args; run base "$input" $args; fi
    done
    bw=$(median 1 "$work/base.times"); hw=$(median 1 "$work/head.times")
    bc=$(median 2 "$work/base.times"); hc=$(median 2 "$work/head.times")
    br=$(largest 3 "$work/base.times"); hr=$(largest 3 "$work/head.times")
    name=translation; [ "$args" = "1 1 110 220" ] || name=two-point
    awk -v n="$n" -v r="$name" -v bw="$bw" -v hw="$hw" -v bc="$bc" -v hc="$hc" -v br="$br" -v hr="$hr" 'BEGIN {
      printf "%-9s %-12s %10.4f %10.4f %7.3f %10.4f %10.4f %7.3f %9.1f %9.1f\n",
        n, r, bw, hw, hw / bw, bc, hc, hc / bc, br / 1024, hr / 1024 }'
  done
done
