#!/usr/bin/env bash
# The two-thread paths under ThreadSanitizer (the tsan preset, clang):
#  1. the unit tests, the threaded ones among them (the two-thread reader,
#     the segmented emission, transform passes cut in two, record memory
#     prepared by another thread, background flushing);
#  2. the tool on a generated drawing of 120 000 entities (about 5 MB), so
#     that the file is read on two threads (more than one 1 MiB read), the
#     transform runs and the output is written on two threads and the
#     drawing is released on a second thread (from 50 000 entities): the
#     translation and the two-point transform, over every entity and over
#     the first layer group only. Each output must be the release build's
#     byte for byte;
#  3. the differential fuzz target's corpus and past findings replayed
#     (fuzz_split_replay): small drawings through every two-thread path with
#     tiny sizes, compared with one thread.
# Any report of ThreadSanitizer fails the run. Part of scripts/test.sh
# (stage tsan); builds what it needs. Usage: scripts/test_threads.sh
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
# exitcode: a report fails the process even when the tool would exit 0.
export TSAN_OPTIONS="halt_on_error=1 exitcode=66 second_deadlock_stack=1${TSAN_OPTIONS:+ $TSAN_OPTIONS}"

cmake --preset tsan >/dev/null
cmake --build --preset tsan -j "$jobs" --target unit_tests cadxform cadxform_gen fuzz_split_replay
cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs" --target cadxform

# ThreadSanitizer's shadow memory needs addresses that a kernel with more
# than 28 bits of mmap randomisation may not give: its programs run with
# address randomisation off.
tsan() { setarch "$(uname -m)" -R "$@"; }

echo "--- unit tests under ThreadSanitizer"
tsan build/tsan/tests/unit_tests --gtest_brief=1

work=build/tsan/threads
rm -rf "$work"
mkdir -p "$work"
drawing=$work/drawing.txt
tsan build/tsan/bench/cadxform_gen 120000 7 >"$drawing"

# run BUILD ARGS...: the tool of build/BUILD on a fresh copy of the drawing
# beside a copy of it; prints the output's path.
run() {
  local build=$1 dir
  shift
  dir=$work/$build-$(echo "$*" | tr ' ' _)
  mkdir -p "$dir"
  cp "build/$build/cadxform" "$dir/"
  cp "$drawing" "$dir/ZPH_TEMP.TXT"
  tsan "$dir/cadxform" "$@" || { echo "test_threads: cadxform ($build) $* exited with status $?" >&2; exit 1; }
  echo "$dir/ZPH_TEMP.TXT"
}

echo "--- the tool under ThreadSanitizer on $(stat -c %s "$drawing") bytes"
for args in "1 1 5 7" "1 3 0 0 10 5" "0 1 5 7" "0 3 0 0 10 5"; do
  # shellcheck disable=SC2086  # the arguments are meant to split
  tsan=$(run tsan $args)
  # shellcheck disable=SC2086
  release=$(run release $args)
  cmp "$tsan" "$release" || { echo "test_threads: outputs of $args differ" >&2; exit 1; }
  echo "cadxform $args: $(stat -c %s "$tsan") bytes, the release build's"
done
# The first layer group is a part of the drawing: its outputs differ from
# those over every entity.
for op in "1 5 7" "3 0 0 10 5"; do
  if cmp -s "$work/tsan-1_${op// /_}/ZPH_TEMP.TXT" "$work/tsan-0_${op// /_}/ZPH_TEMP.TXT"; then
    echo "test_threads: the first layer group took every entity (operation $op)" >&2
    exit 1
  fi
done
rm -rf "$work"

echo "--- the differential fuzz corpus under ThreadSanitizer"
tsan build/tsan/fuzz/fuzz_split_replay fuzz/corpus/split fuzz/regressions/split
