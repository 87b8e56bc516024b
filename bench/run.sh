#!/usr/bin/env bash
# Whole-run benchmark of cadxform on generated drawings, then the
# micro-benchmarks.
#
#   bench/run.sh
#
# 1. Builds the release binaries with the benchmarks in build/bench
#    (CMake, Ninja, -DCADXFORM_BENCH=ON).
# 2. Generates drawings of 10 thousand, 100 thousand, 1 million and 4 million
#    entities (about 40 bytes each, code page 932, CR LF) with cadxform_gen
#    into $BENCH_DATA (default /tmp/cadxform_bench). Drawings are kept and
#    reused while the generator's sources are unchanged.
# 3. For each size runs the translation (arguments 1 1 110 220) and the
#    two-point transform (1 3 0 0 10 50) several times (5; 3 from 4 million
#    entities up), each run on a fresh copy of the input named ZPH_TEMP.TXT
#    beside a copy of the executable, and times each with cadxform_runstat
#    (wall and CPU time, peak resident memory of the child from wait4).
#    Before each run it times `cp` of the same input to a new file in the
#    same folder, and the same copy by `dd conv=fsync`, because the tool
#    flushes the file it writes to disk and cp does not; and the I/O floor,
#    cadxform_iofloor, which does the tool's file work and nothing else
#    (reads the file, writes it beside in 1 MiB writes, flushes, renames it
#    over the original, flushes the folder); and after each run the same
#    floor at the size of the run's output (cadxform_iofloor FILE BYTES).
#    After each run it times the Windows exe (build/bench-windows) under Wine
#    on a fresh copy of the same input, its standard output and error going
#    to /dev/null (through pipes Wine runs it several times slower), and
#    checks once per size and kind that both builds wrote the same bytes.
#    A Windows program is kept running for the whole benchmark so that Wine's
#    server does not start anew for every run.
#    Prints a table per run kind: median wall and CPU time, input MB/s,
#    entities per second, peak resident memory, peak memory / input size,
#    our median time / the median time of cp, of the flushed copy and of the
#    I/O floor, the median time of the Windows exe and its ratio to ours;
#    then time(4M) / time(1M), which is 4 for linear growth.
# 4. Runs the micro-benchmarks (cadxform_micro, Google Benchmark).
#
# MB means 10^6 bytes. Timings depend on the machine and its load; nothing
# in the test suite depends on them.
#
# Environment (all optional):
#   BENCH_SIZES     entity counts, default "10000 100000 1000000 4000000"
#   BENCH_REPS      runs per size and kind, default 5 (3 from 4M entities up)
#   BENCH_SEED      generator seed, default 1
#   BENCH_DATA      folder for the drawings and the runs
#   BENCH_WINE      0 skips the Windows exe, default 1 (skipped anyway when
#                   the mingw-w64 compiler or wine is missing)
#   BENCH_MICRO     0 skips the micro-benchmarks, default 1
#   BENCH_MICRO_MIN_TIME  seconds per micro-benchmark, default 0.5
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

sizes=${BENCH_SIZES:-"10000 100000 1000000 4000000"}
build=$root/build/bench
source "$root/bench/common.sh"

# --- 1. build ----------------------------------------------------------------
echo "=== building release binaries in build/bench"
buildlog=$build/bench_build.log
build_bench cadxform cadxform_gen cadxform_runstat cadxform_iofloor cadxform_micro
tool=$build/cadxform
gen=$build/bench/cadxform_gen
runstat=$build/bench/cadxform_runstat
iofloor=$build/bench/cadxform_iofloor
micro=$build/bench/cadxform_micro

# The Windows exe, for the runs under Wine.
winexe=""
if [ "${BENCH_WINE:-1}" != 0 ] && command -v i686-w64-mingw32-g++-posix >/dev/null && command -v wine >/dev/null; then
  winbuild=$root/build/bench-windows
  echo "=== building the Windows exe in build/bench-windows"
  if [ ! -f "$winbuild/CMakeCache.txt" ]; then
    quiet cmake -S "$root" -B "$winbuild" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DCADXFORM_TESTS=OFF
  fi
  quiet cmake --build "$winbuild" --target cadxform
  winexe=$winbuild/cadxform.exe
else
  echo "=== Windows exe skipped (BENCH_WINE=0, or no i686-w64-mingw32-g++-posix or wine)"
fi

# --- 2. drawings ---------------------------------------------------------------
# shellcheck disable=SC2086  # the sizes are meant to split
make_drawings "$gen" $sizes

# --- 3. whole runs ---------------------------------------------------------------
work=$data/run
rm -rf "$work"
mkdir -p "$work"
cp "$tool" "$work/cadxform"
if [ -n "$winexe" ]; then
  cp "$winexe" "$work/cadxform.exe"
  keep_wine_up
fi

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
maximum() { sort -g | tail -n 1; }

# time_tool N ARGS...: prints "median_s peak_kib median_cp_s out_bytes
# median_cpu_s median_synced_copy_s median_iofloor_s median_wine_s
# median_iofloor_out_s" for the runs of one size and kind (median_wine_s is
# - without the Windows exe).
time_tool() {
  local n=$1; shift
  local input reps times="" rsss="" cps="" dds="" ios="" iouts="" wines="" cpus="" t rss st cpu out
  input=$(drawing "$n")
  reps=${BENCH_REPS:-$([ "$n" -ge 4000000 ] && echo 3 || echo 5)}
  for ((i = 0; i < reps; i++)); do
    rm -f "$work/cp_copy.txt"
    read -r t rss st cpu < <("$runstat" cp "$input" "$work/cp_copy.txt")
    cps+="$t"$'\n'
    rm -f "$work/cp_copy.txt"
    read -r t rss st cpu < <("$runstat" dd if="$input" of="$work/cp_copy.txt" bs=1M conv=fsync status=none)
    dds+="$t"$'\n'
    rm -f "$work/cp_copy.txt"
    cp "$input" "$work/cp_copy.txt"
    read -r t rss st cpu < <("$runstat" "$iofloor" "$work/cp_copy.txt")
    [ "$st" = 0 ] || { echo "cadxform_iofloor on $n entities: exit status $st" >&2; exit 1; }
    ios+="$t"$'\n'
    rm -f "$work/cp_copy.txt" "$work/ZPH_TEMP.TXT"
    cp "$input" "$work/ZPH_TEMP.TXT"
    read -r t rss st cpu < <("$runstat" "$work/cadxform" "$@")
    out=$(head -c 2 "$work/ZPH_TEMP.TXT")
    if [ "$st" != 0 ] || [ "$out" != "hd" ]; then
      echo "cadxform $* on $n entities: exit status $st, output starts with '$out'" >&2
      exit 1
    fi
    times+="$t"$'\n'
    rsss+="$rss"$'\n'
    cpus+="$cpu"$'\n'
    out=$(stat -c %s "$work/ZPH_TEMP.TXT")
    cp "$input" "$work/cp_copy.txt"
    read -r t rss st cpu < <("$runstat" "$iofloor" "$work/cp_copy.txt" "$out")
    [ "$st" = 0 ] || { echo "cadxform_iofloor at the output size on $n entities: exit status $st" >&2; exit 1; }
    iouts+="$t"$'\n'
    rm -f "$work/cp_copy.txt"
    if [ -n "$winexe" ]; then
      mv "$work/ZPH_TEMP.TXT" "$work/linux_out.txt"
      cp "$input" "$work/ZPH_TEMP.TXT"
      read -r t rss st cpu < <("$runstat" --quiet wine "$work/cadxform.exe" "$@")
      if [ "$st" != 0 ]; then
        echo "cadxform.exe $* on $n entities under Wine: exit status $st" >&2
        exit 1
      fi
      if [ "$i" = 0 ] && ! cmp -s "$work/ZPH_TEMP.TXT" "$work/linux_out.txt"; then
        echo "cadxform.exe $* on $n entities: output differs from the Linux build's" >&2
        exit 1
      fi
      wines+="$t"$'\n'
    fi
  done
  local wine=-
  [ -n "$wines" ] && wine=$(printf %s "$wines" | median)
  echo "$(printf %s "$times" | median) $(printf %s "$rsss" | maximum) $(printf %s "$cps" | median)" \
    "$out $(printf %s "$cpus" | median) $(printf %s "$dds" | median) $(printf %s "$ios" | median) $wine" \
    "$(printf %s "$iouts" | median)"
}

run_kind() {
  local title=$1; shift
  local t1m="" t4m=""
  echo
  echo "=== $title: cadxform $*"
  printf '%9s %8s %8s %8s %7s %7s %8s %7s %8s %7s %8s %7s %8s %6s %8s %6s %8s %6s %7s\n' \
    entities "in MB" "wall s" "cpu s" "MB/s" "Ment/s" "peak MB" "peak/in" \
    "cp s" "/cp" "sync s" "/sync" "io s" "/io" "ioout s" "/ioout" "wine s" "w/lin" "out MB"
  for n in $sizes; do
    local bytes result t rss cp outb cpu dd io wine ioout
    bytes=$(stat -c %s "$(drawing "$n")")
    result=$(time_tool "$n" "$@")
    read -r t rss cp outb cpu dd io wine ioout <<<"$result"
    awk -v n="$n" -v b="$bytes" -v t="$t" -v rss="$rss" -v cp="$cp" -v o="$outb" -v c="$cpu" -v dd="$dd" \
        -v io="$io" -v w="$wine" -v iout="$ioout" 'BEGIN {
      ws = w == "-" ? sprintf("%8s %6s", "-", "-") : sprintf("%8.4f %6.2f", w, w / t)
      printf "%9d %8.1f %8.4f %8.4f %7.1f %7.2f %8.1f %7.2f %8.4f %7.1f %8.4f %7.1f %8.4f %6.2f %8.4f %6.2f %s %7.1f\n",
        n, b / 1e6, t, c, b / 1e6 / t, n / t / 1e6, rss * 1024 / 1e6, rss * 1024 / b,
        cp, t / cp, dd, t / dd, io, t / io, iout, t / iout, ws, o / 1e6 }'
    [ "$n" = 1000000 ] && t1m=$t
    [ "$n" = 4000000 ] && t4m=$t
  done
  if [ -n "$t1m" ] && [ -n "$t4m" ]; then
    awk -v a="$t1m" -v b="$t4m" 'BEGIN { printf "linear growth: time(4M) / time(1M) = %.2f (4.00 is linear)\n", b / a }'
  fi
}

echo
echo "wall s: median wall time; cpu s: median user + system time of the tool."
echo "MB/s and Ment/s: input megabytes and million entities per wall second."
echo "peak MB: the tool's peak resident memory (largest of the runs); peak/in: that"
echo "over the input size. cp s, sync s: median time of cp, and of a copy flushed"
echo "to disk (dd conv=fsync; the tool flushes its output too), of the same input;"
echo "io s: the I/O floor (read, write beside in 1 MiB writes, flush, rename, flush"
echo "the folder: the tool's file work alone); ioout s: the same floor writing as"
echo "many bytes as the tool's output; /cp, /sync, /io, /ioout: our wall time over"
echo "theirs. wine s: median wall time of the Windows exe under Wine (its start-up"
echo "included); w/lin: that over ours. out MB: size of the rewritten file."
run_kind "translation" 1 1 110 220
run_kind "two-point transform" 1 3 0 0 10 50
rm -rf "$work"
[ -n "$winexe" ] && exec {winekeeper}>&-

# --- 4. micro-benchmarks ---------------------------------------------------------
if [ "${BENCH_MICRO:-1}" != 0 ]; then
  echo
  echo "=== micro-benchmarks (items_per_second: tokens, values or lines per second)"
  "$micro" --benchmark_min_time="${BENCH_MICRO_MIN_TIME:-0.5}"
fi
