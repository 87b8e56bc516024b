#!/usr/bin/env bash
# Checks the library as another project gets it: for each build preset
# given, installs the build into a temporary prefix, builds a copy of
# examples/recolor against that prefix alone (not the build tree, not the
# sources), runs it on each case of tests/install and compares the
# rewritten exchange file byte for byte and the exit status with the
# expected ones (mirror_* cases: examples/mirror, built the same way; their
# expected bytes come from the native build, so the Windows build must give
# the same). It builds examples/rotate_scale the same way and checks
# that it gives the tool's bytes (the same preset's tool) for the
# transforms both can do (see rotate_cases). For the native release build
# it also compiles every
# installed header on its own, which fails should one need a header that is
# not installed. Part of scripts/test.sh.
# Usage: scripts/test_install.sh PRESET...   (release, asan, windows)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
export WINEDEBUG=-all

tmp=$(mktemp -d "${TMPDIR:-/tmp}/cadxform_install.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
chmod 0755 "$tmp"  # the read-only folder case runs a program as another user

# Runs a command quietly; shows its output when it fails.
quiet() {
  "$@" >"$tmp/log" 2>&1 || { cat "$tmp/log" >&2; echo "test_install: failed: $*" >&2; return 1; }
}

# Every public header compiles alone with the prefix as the only include
# folder, declares only names the library guide documents (anything else
# stays in a namespace detail block or a private section), and names no
# header that is not installed.
check_headers() {  # check_headers PREFIX
  local header named
  for header in "$1"/include/cadxform/*.h; do
    g++ -std=c++20 -Wall -Wextra -Wpedantic -Wshadow -Werror -fsyntax-only -I "$1/include" -x c++ - \
      <<<"#include <cadxform/$(basename "$header")>" ||
      { echo "test_install: $header does not compile on its own" >&2; return 1; }
    for named in $(grep -oE '[a-z_/]+\.h\b' "$header" | sort -u); do
      [ -f "$1/include/cadxform/$(basename "$named")" ] && [[ $named != */*/* ]] && [[ $named != */* || $named == cadxform/* ]] ||
        { echo "test_install: $header names $named, which is not installed" >&2; return 1; }
    done
  done
  scripts/check_public_names.py docs/library.md "$1"/include/cadxform/*.h
}

# Runs an example's executable on one case folder; 0 when the bytes and the
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

# rotate_scale's arguments | the tool's arguments that must give the same
# bytes, with indicated point 1 at (0, 0) and point 2 at (10, 0): a quarter
# turn doubled is the two-point transform onto (0, 0) and (0, 20); no turn
# and no scale is the translation of point 1 onto itself.
rotate_cases=(
  "1 90 2 | 1 3 0 0 0 20"
  "1 0 1  | 1 1 0 0"
)

# The drawings both run on: the example drawing and a generated one of
# 100 000 entities (the release tree's generator), with their indicated
# points moved to (0, 0) and (10, 0).
make_rotate_drawings() {
  local gen="$root/build/release/bench/cadxform_gen"
  if [ ! -x "$gen" ]; then
    quiet cmake --preset release -DCADXFORM_BENCH=ON
    quiet cmake --build --preset release -j 2 --target cadxform_gen
  fi
  mkdir -p "$tmp/drawings"
  cp examples/drawing.txt "$tmp/drawings/example.txt"
  "$gen" 100000 7 >"$tmp/drawings/generated_100k.txt"
  sed -i -E 's/^hp1[^ ]* .*$/hp1 0 0\r/; s/^(hp2[a-z]*) .*$/\1 10 0\r/' "$tmp/drawings"/*.txt
}

# Runs EXE (native, or .exe under Wine) with ARGS in a fresh folder on a
# copy of DRAWING; the rewritten file is left as OUT.
run_on() {  # run_on EXE DRAWING OUT ARGS...
  local exe=$1 drawing=$2 out=$3 dir="$tmp/run"
  shift 3
  rm -rf "$dir" && mkdir "$dir"
  cp "$exe" "$dir/" && cp "$drawing" "$dir/ZPH_TEMP.TXT"
  local -a runner=()
  [[ $exe == *.exe ]] && runner=(wine)
  "${runner[@]}" "$dir/$(basename "$exe")" "$@" 2>/dev/null ||
    { echo "test_install: $(basename "$exe") $* failed" >&2; return 1; }
  mv "$dir/ZPH_TEMP.TXT" "$out"
}

# Every row of rotate_cases on every drawing: rotate_scale and the tool give
# the same bytes.
check_rotate_scale() {  # check_rotate_scale ROTATE_EXE TOOL_EXE
  local drawing row
  local -a mine theirs
  for drawing in "$tmp/drawings"/*.txt; do
    for row in "${rotate_cases[@]}"; do
      read -ra mine <<<"${row%%|*}"
      read -ra theirs <<<"${row#*|}"
      run_on "$1" "$drawing" "$tmp/rotate.out" "${mine[@]}"
      run_on "$2" "$drawing" "$tmp/tool.out" "${theirs[@]}"
      cmp -s "$tmp/rotate.out" "$tmp/tool.out" || {
        echo "test_install: rotate_scale ${mine[*]} differs from the tool's ${theirs[*]} on $(basename "$drawing")" >&2
        return 1
      }
    done
  done
}

# One table of situations for the tool and the three examples: each program
# is built on the same run sequence, so each must end the same way. A row:
#   name | tool's | rotate_scale's | recolor's | mirror's args | exit status | result
# ("-": the situation does not fit that program; mirror stops at the
# parameter text of the drawings' last layer group, so it mostly runs on
# the first one, scope 2).
# Results: "same" (the files byte-identical), "read" / "write" / "range" /
# "axis" / "samepoint" / "paramtext" (only that message line), "folder" (a
# folder still in place), "hd" (an output of the drawing; recolor's own
# transform differs), "input" (the drawing left exactly as it was).
situations=(
  "missing|1 1 0 0|1 0 1|5|-|0|same"
  "empty|1 1 0 0|1 0 1|5|-|0|same"
  "folder|1 1 0 0|1 0 1|5|1|1|folder"
  "fifo|1 1 0 0|1 0 1|5|1|1|read"
  "read_only_folder|1 1 0 0|1 0 1|5|2|1|write"
  "read_only_file|1 1 0 0|1 0 1|5|1|1|input"
  "overflow|1 1 1.7e308 0|1 0 1e308|5|-|0|range"
  "huge|1 1 0 0|1 0 1|5|-|0|hd"
  "unicode_folder|1 1 0 0|1 0 1|5|2|0|hd"
  "no_hp2|-|-|-|2|0|axis"
  "same_point|1 3 0 0 0 20|-|-|1|0|samepoint"
  "param_text|-|-|-|1|0|paramtext"
)

# The message lines, in code page 932: "交換ファイルを読み込めませんでした",
# "変換結果を書き込めませんでした", "座標が大きすぎるため変換できません".
printf 'h#\x8c\xf0\x8a\xb7\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xf0\x93\xc7\x82\xdd\x8d\x9e\x82\xdf\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd\r\n' >"$tmp/read"
printf 'h#\x95\xcf\x8a\xb7\x8c\x8b\x89\xca\x82\xf0\x8f\x91\x82\xab\x8d\x9e\x82\xdf\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd\r\n' >"$tmp/write"
# "反転の軸にする2点を指示してください", "同一点指示をしないで下さい",
# "パラメータ付き文字（^@BM）は反転できないため変換できません".
printf 'h#\x94\xbd\x93\x5d\x82\xcc\x8e\xb2\x82\xc9\x82\xb7\x82\xe9\x32\x93\x5f\x82\xf0\x8e\x77\x8e\xa6\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2\r\n' >"$tmp/axis"
printf 'h#\x93\xaf\x88\xea\x93\x5f\x8e\x77\x8e\xa6\x82\xf0\x82\xb5\x82\xc8\x82\xa2\x82\xc5\x89\xba\x82\xb3\x82\xa2\r\n' >"$tmp/samepoint"
printf 'h#\x83\x70\x83\x89\x83\x81\x81\x5b\x83\x5e\x95\x74\x82\xab\x95\xb6\x8e\x9a\x81\x69\x5e\x40\x42\x4d\x81\x6a\x82\xcd\x94\xbd\x93\x5d\x82\xc5\x82\xab\x82\xc8\x82\xa2\x82\xbd\x82\xdf\x95\xcf\x8a\xb7\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\r\n' >"$tmp/paramtext"
printf 'h#\x8d\xc0\x95\x57\x82\xaa\x91\xe5\x82\xab\x82\xb7\x82\xac\x82\xe9\x82\xbd\x82\xdf\x95\xcf\x8a\xb7\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\r\n' >"$tmp/range"

# Lays out the situation NAME in a fresh folder for EXE and runs it there
# with ARGS; leaves the exit status in $status and the exchange file (or
# folder) at $dir/ZPH_TEMP.TXT.
run_situation() {  # run_situation NAME EXE ARGS...
  local name=$1 exe=$2
  shift 2
  dir="$tmp/situation/tool"
  [ "$name" = unicode_folder ] && dir="$tmp/situation/外部変形 テスト"
  rm -rf "$tmp/situation" && mkdir -p "$dir"
  cp "$exe" "$dir/"
  local file="$dir/ZPH_TEMP.TXT"
  case $name in
    missing) ;;
    empty) : >"$file" ;;
    folder) mkdir "$file" ;;
    fifo) mkfifo "$file" ;;
    overflow) printf 'hp1 -1.7e308 0\r\nhp2 10 0\r\nci 0 0 2\r\n' >"$file" ;;
    huge) cp "$tmp/drawings/generated_100k.txt" "$file" ;;
    read_only_file) cp examples/drawing.txt "$file" && chmod 0444 "$file" ;;
    no_hp2) grep -av '^hp2' examples/drawing.txt >"$file" ;;
    same_point) sed -E 's/^(hp2[a-z]*) .*$/\1 0 0\r/' examples/drawing.txt >"$file" ;;
    *) cp examples/drawing.txt "$file" ;;
  esac
  local -a runner=()
  [[ $exe == *.exe ]] && runner=(wine)
  if [ "$name" = read_only_folder ]; then
    chmod 0666 "$file" && chmod 0555 "$dir"
    [ "$(id -u)" = 0 ] && runner=(setpriv --reuid=65534 --regid=65534 --clear-groups "${runner[@]}")
  fi
  status=0
  (cd "$tmp" && timeout 120 "${runner[@]}" "$dir/$(basename "$exe")" "$@" >/dev/null 2>"$tmp/stderr") || status=$?
  chmod 0755 "$dir"
}

# Every situation for the four programs of one build; Wine has no FIFOs or
# folder permissions to speak of, and the Japanese folder is its case.
check_situations() {  # check_situations TOOL ROTATE RECOLOR MIRROR
  local row name want kind i
  local -a fields args exes=("$1" "$2" "$3" "$4")
  for row in "${situations[@]}"; do
    IFS='|' read -ra fields <<<"$row"
    name=${fields[0]} want=${fields[5]} kind=${fields[6]}
    if [[ $1 == *.exe ]]; then
      case $name in fifo | read_only_folder) continue ;; esac
    elif [ "$name" = unicode_folder ]; then
      continue
    fi
    rm -f "$tmp"/result*
    for i in 0 1 2 3; do
      [ "${fields[$((i + 1))]}" = - ] && continue
      read -ra args <<<"${fields[$((i + 1))]}"
      run_situation "$name" "${exes[$i]}" "${args[@]}"
      local what="$name: $(basename "${exes[$i]}") ${args[*]}"
      [ "$status" = "$want" ] || { echo "test_install: $what: exit status $status, expected $want" >&2; return 1; }
      [ "$want" = 0 ] || [ "$(wc -l <"$tmp/stderr")" = 1 ] ||
        { echo "test_install: $what: not one line on standard error: $(cat "$tmp/stderr")" >&2; return 1; }
      case $kind in
        same) cp "$dir/ZPH_TEMP.TXT" "$tmp/result$i" ;;
        folder) [ -d "$dir/ZPH_TEMP.TXT" ] || { echo "test_install: $what: the folder is gone" >&2; return 1; } ;;
        hd) [ "$(head -c 4 "$dir/ZPH_TEMP.TXT")" = $'hd\r' ] || { echo "test_install: $what: no output" >&2; return 1; } ;;
        input) cmp -s "$dir/ZPH_TEMP.TXT" examples/drawing.txt || { echo "test_install: $what: the file changed" >&2; return 1; } ;;
        *) if [ "$i" = 2 ] && [ "$kind" = range ]; then continue; fi  # recolor changes no value
           cmp -s "$dir/ZPH_TEMP.TXT" "$tmp/$kind" || { echo "test_install: $what: not the $kind message" >&2; return 1; } ;;
      esac
    done
    if [ "$kind" = same ]; then
      for i in "$tmp"/result*; do
        cmp -s "$tmp/result0" "$i" || { echo "test_install: $name: the programs give different files" >&2; return 1; }
      done
    fi
  done
}

make_rotate_drawings
for preset in "$@"; do
  build="$root/build/$preset"
  [ -f "$build/CMakeCache.txt" ] || quiet cmake --preset "$preset"
  quiet cmake --build --preset "$preset" -j 2 --target cadxform_exchange cadxform
  prefix="$tmp/$preset/prefix"
  quiet cmake --install "$build" --prefix "$prefix"

  # A copy of each example in a folder of its own: nothing of this tree is
  # on any path but the installed prefix.
  config=(-G Ninja -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
          -DCMAKE_FIND_USE_SYSTEM_PACKAGE_REGISTRY=OFF)
  case $preset in
    windows) config+=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake") ;;
    asan) config+=(-DCMAKE_BUILD_TYPE=Debug
                   -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all") ;;
    *) config+=(-DCMAKE_BUILD_TYPE=Release) ;;
  esac
  for example in recolor rotate_scale mirror; do
    cp -r "examples/$example" "$tmp/$preset/$example"
    quiet cmake -S "$tmp/$preset/$example" -B "$tmp/$preset/build_$example" "${config[@]}"
    quiet cmake --build "$tmp/$preset/build_$example"
  done
  suffix=
  [ "$preset" = windows ] && suffix=.exe
  exe="$tmp/$preset/build_recolor/recolor$suffix"

  for case_dir in tests/install/*/; do
    case $case_dir in
      */mirror_*) run_case "$tmp/$preset/build_mirror/mirror$suffix" "${case_dir%/}" ;;
      *) run_case "$exe" "${case_dir%/}" ;;
    esac
  done
  check_rotate_scale "$tmp/$preset/build_rotate_scale/rotate_scale$suffix" "$build/cadxform$suffix"
  check_situations "$build/cadxform$suffix" "$tmp/$preset/build_rotate_scale/rotate_scale$suffix" "$exe" \
    "$tmp/$preset/build_mirror/mirror$suffix"
  [ "$preset" = release ] && check_headers "$prefix"
  echo "test_install: $preset: installed, recolor and mirror built against the prefix, $(ls -d tests/install/*/ | wc -l) cases pass;" \
    "rotate_scale gives the tool's bytes in ${#rotate_cases[@]} cases on both drawings;" \
    "the tool and the examples end alike in ${#situations[@]} situations"
done
