#!/usr/bin/env bash
# Runs the real executable from folders whose names lie outside the ANSI
# code page (accented letters, Japanese, Hangul with an emoji) and from a
# folder whose full path is longer than 300 characters, on golden cases,
# and compares the exchange file's bytes with the expected ones.
#   run_in_folders.sh EXE GOLDEN_DIR [RUNNER]
# RUNNER is "wine" for the Windows build (the code page then follows LANG);
# the script starts the tool from the Linux side because Wine cannot start a
# program from a path longer than 260 characters from within Windows.
set -euo pipefail
exe=$1
golden=$2
runner=${3:-}

root=$(mktemp -d "${TMPDIR:-/tmp}/cadxform_folders.XXXXXX")
trap 'rm -rf "$root"' EXIT

long="外部変形 テスト"
for level in 1 2 3 4 5; do
  long+="/$(printf '長いフォルダ名%.0s' $(seq 10))$level"
done
folders=("外部変形 テスト" "Müller" "도면 外部変形 📐" "$long")
cases=(move_every_kind two_point_quarter_turn_every_kind round_trip_cp932_texts)

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for folder in "${folders[@]}"; do
  dir="$root/$folder"
  for case in "${cases[@]}"; do
    rm -rf "$root/work" "$dir"
    mkdir -p "$dir" "$root/work"
    name=$(basename "$exe")
    cp "$exe" "$dir/$name"
    cp "$golden/$case/input.txt" "$dir/ZPH_TEMP.TXT"
    mapfile -t args < "$golden/$case/args"
    status=0
    (cd "$root/work" && ${runner:+"$runner"} "$dir/$name" "${args[@]}" >"$root/out" 2>"$root/err") || status=$?
    what="case $case in $(python3 -c 'import sys; print(len(sys.argv[1]))' "$dir") characters: $folder"
    [ "$status" -eq 0 ] || fail "$what: exit status $status"
    [ ! -s "$root/out" ] && [ ! -s "$root/err" ] || fail "$what: printed $(cat "$root/out" "$root/err")"
    cmp -s "$dir/ZPH_TEMP.TXT" "$golden/$case/expected.txt" || fail "$what: output differs"
    left=$(ls -A "$dir" | grep -v -x -e "$name" -e ZPH_TEMP.TXT || true)
    [ -z "$left" ] || fail "$what: left $left"
  done
done
chars=$(python3 -c 'import sys; print(len(sys.argv[1]))' "$root/$long")
[ "$chars" -gt 300 ] || fail "the long folder has only $chars characters"

if [ "$failures" -gt 0 ]; then
  echo "$failures failures"
  exit 1
fi
echo "all ${#folders[@]} folders x ${#cases[@]} cases give the expected bytes (longest folder $chars characters)"
