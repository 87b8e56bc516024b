#!/usr/bin/env bash
# Fuzzes with every libFuzzer target (fuzz/CMakeLists.txt; the binaries
# build/PRESET/fuzz/fuzz_*, PRESET fuzz by default) for a set time each, one
# after the other, and fails on the first finding.
#
#   scripts/fuzz.sh [SECONDS [WORK [FINDINGS]]]
#   FUZZ_PRESET=fuzz-tsan scripts/fuzz.sh ...   (ThreadSanitizer instead of
#                                                ASan + UBSan)
#
# SECONDS per target, default 600. Each target fuzz_NAME starts from its seed
# corpus (fuzz/corpus/NAME) and its past findings (fuzz/regressions/NAME) and
# keeps the new inputs it finds interesting in WORK/<target> (default
# build/PRESET/work, kept between runs); its log goes to WORK/<target>.log.
# Findings land in FINDINGS (default fuzz/findings); keep each as a
# regression input in fuzz/regressions/NAME once fixed. The test command runs
# this for 20 seconds per target in a fresh WORK under build/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-600}"
preset="${FUZZ_PRESET:-fuzz}"
work="${2:-build/$preset/work}"
findings="${3:-fuzz/findings}"

# fuzz_split writes its scratch files under TMPDIR: memory, where there is
# one, so that the tool's flushes to disk cost nothing.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi

scripts/setup.sh >/dev/null
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
export TSAN_OPTIONS="halt_on_error=1 suppressions=$PWD/fuzz/tsan_counters.supp${TSAN_OPTIONS:+ $TSAN_OPTIONS}"

targets=()
for bin in build/$preset/fuzz/fuzz_*; do
  case "$bin" in *replay*) continue ;; esac
  [ -f "$bin" ] && [ -x "$bin" ] && targets+=("$bin")
done
[ "${#targets[@]}" -gt 0 ] || { echo "fuzz: no fuzz target in build/$preset/fuzz" >&2; exit 1; }

mkdir -p "$findings"
for bin in "${targets[@]}"; do
  name=$(basename "$bin")
  short=${name#fuzz_}
  mkdir -p "$work/$name" "fuzz/regressions/$short"
  echo "=== fuzz: $name for $seconds s"
  # -max_len: inputs up to 64 KiB, enough for every line kind many times
  # over while keeping each run short.
  if ! "$bin" -max_total_time="$seconds" -max_len=65536 -timeout=10 -artifact_prefix="$findings/" \
      -print_final_stats=1 "$work/$name" "fuzz/corpus/$short" "fuzz/regressions/$short" >"$work/$name.log" 2>&1; then
    tail -n 60 "$work/$name.log"
    echo "fuzz: $name found a failing input (in $findings/; log $work/$name.log)" >&2
    exit 1
  fi
  grep -E "^stat::(number_of_executed_units|new_units_added|peak_rss_mb)" "$work/$name.log" | tr '\n' ' '
  echo
done
