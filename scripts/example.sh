#!/usr/bin/env bash
# Runs cadxform on the bundled example drawing and shows the exchange file
# before and after. Builds the release binary first if needed.
#   scripts/example.sh              translation: every entity, point 1 -> (110, 220)
#   scripts/example.sh 1 3 0 0 0 50 two-point transform: points 1, 2 -> (0,0), (0,50)
#   scripts/example.sh ARGS...      any arguments the host could pass
# The file is code page 932; it is shown converted to UTF-8 when iconv is
# available (the file itself is never converted).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ ! -x build/release/cadxform ]; then
  scripts/setup.sh >/dev/null
  cmake --preset release >/dev/null
  cmake --build --preset release --target cadxform >/dev/null
fi

args=("$@")
if [ "${#args[@]}" -eq 0 ]; then args=(1 1 110 220); fi

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp build/release/cadxform "$dir/"
cp examples/drawing.txt "$dir/ZPH_TEMP.TXT"

show() {
  if command -v iconv >/dev/null; then iconv -f CP932 -t UTF-8 "$1" | tr -d '\r'; else tr -d '\r' < "$1"; fi
  echo
}

echo "=== exchange file before (examples/drawing.txt)"
show "$dir/ZPH_TEMP.TXT"
echo "=== running: cadxform ${args[*]}"
(cd / && "$dir/cadxform" "${args[@]}") && status=0 || status=$?
echo "=== exit status $status; exchange file after"
show "$dir/ZPH_TEMP.TXT"
