# Pieces shared by bench/run.sh and bench/compare_outputs.sh; sourced after
# they set $root (the source tree) and, before building, $buildlog.
#
# Drawings: cadxform_gen's output for N entities and seed $seed is kept in
# $data under a name that carries a digest of the generator's sources, so
# every script reuses it until the generator changes.
seed=${BENCH_SEED:-1}
data=${BENCH_DATA:-${TMPDIR:-/tmp}/cadxform_bench}
genkey=$(cat "$root"/bench/gen/*.h "$root"/bench/gen/*.cpp | md5sum | cut -c1-8)

# quiet CMD...: runs CMD with its output in $buildlog, shown only when it fails.
quiet() { "$@" >"$buildlog" 2>&1 || { cat "$buildlog"; exit 1; }; }

# build_bench TARGET...: builds the targets in $build, configured once as a
# release build with the benchmarks and without the tests; the output goes
# to $buildlog (in $build), shown only on a failure.
build_bench() {
  mkdir -p "$build"
  if [ ! -f "$build/CMakeCache.txt" ]; then
    quiet cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCADXFORM_BENCH=ON -DCADXFORM_TESTS=OFF
  fi
  quiet cmake --build "$build" --target "$@"
}

# drawing N: the path of the drawing of N entities.
drawing() { echo "$data/drawing_$1_s${seed}_$genkey.txt"; }

# make_drawings GEN N...: writes with the generator GEN the drawings of N
# entities that are not there yet.
make_drawings() {
  local gen=$1 n f
  shift
  mkdir -p "$data"
  for n in "$@"; do
    f=$(drawing "$n")
    if [ ! -s "$f" ]; then
      echo "=== generating $n entities -> $f"
      "$gen" "$n" "$seed" >"$f.part$$"
      mv "$f.part$$" "$f"
    fi
  done
}

# keep_wine_up: starts a Windows console program that waits for its input,
# so Wine's server is not started anew for every run. It ends when its input
# closes: when the shell exits or closes the descriptor $winekeeper.
keep_wine_up() {
  export WINEDEBUG=-all
  exec {winekeeper}> >(exec wine cmd.exe >/dev/null 2>&1)
  sleep 2
}
