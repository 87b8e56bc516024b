#!/usr/bin/env bash
# Runs the real executable with its exchange file a symbolic link made on
# the Linux side, which Wine shows to a Windows program as a plain file:
#   - a link to nothing and a link loop are a failed read (the read-failed
#     message line, exit status 1, one line on standard error), never a
#     missing file whose output would be an empty drawing;
#   - a symbolic or hard link to another file is replaced by a plain file
#     holding the output; the other file keeps its bytes;
#   - a link to another file that a second program holds open without
#     delete sharing for longer than every retry: the output can neither
#     replace nor delete it, and the failure message is not written
#     through the link either: the other file keeps its bytes.
#   links.sh EXE HOLD_FILE_OPEN_EXE [RUNNER]
set -euo pipefail
exe=$1
holder=$2
runner=${3:-}

root=$(mktemp -d "${TMPDIR:-/tmp}/cadxform_links.XXXXXX")
trap 'rm -rf "$root"' EXIT
dir="$root/tool"
input=$'hp1 0 0\r\nci 1 2 3\r\n'
# "h#" + "交換ファイルを読み込めませんでした" in code page 932.
read_failed=$'h#\x8c\xf0\x8a\xb7\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xf0\x93\xc7\x82\xdd\x8d\x9e\x82\xdf\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd\r\n'

printf '%s' "$read_failed" >"$root/read_failed"
printf '%s' "$input" >"$root/input"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

fresh() {  # a tool folder holding only the executable
  rm -rf "$dir" "$root/work"
  mkdir -p "$dir" "$root/work"
  cp "$exe" "$dir/"
}

run_tool() {  # runs the tool with 1 1 5 5; sets status, and err to its stderr
  status=0
  (cd "$root/work" && ${runner:+"$runner"} "$dir/$(basename "$exe")" 1 1 5 5 >"$root/out" 2>"$root/err") || status=$?
  err=$(cat "$root/out" "$root/err")
}

expect_one_line() {  # expect_one_line WHAT TEXT
  [ "$status" -eq 1 ] || fail "$1: exit status $status"
  [ "$(printf '%s\n' "$err" | wc -l)" -eq 1 ] && [[ "$err" == *"$2"* ]] || fail "$1: printed: $err"
}

to_windows() { if [ -n "$runner" ]; then winepath -w "$1"; else echo "$1"; fi; }

for target in nowhere.txt ZPH_TEMP.TXT; do
  what="link to $target"
  fresh
  ln -s "$target" "$dir/ZPH_TEMP.TXT"
  run_tool
  expect_one_line "$what" "cannot read the exchange file"
  cmp -s "$dir/ZPH_TEMP.TXT" "$root/read_failed" || fail "$what: the file is not the read-failed message"
done

for kind in symbolic hard; do
  what="$kind link to another file"
  fresh
  cp "$root/input" "$dir/victim.txt"
  if [ "$kind" = symbolic ]; then ln -s victim.txt "$dir/ZPH_TEMP.TXT"; else ln "$dir/victim.txt" "$dir/ZPH_TEMP.TXT"; fi
  run_tool
  [ "$status" -eq 0 ] && [ -z "$err" ] || fail "$what: exit status $status, printed: $err"
  [ ! -L "$dir/ZPH_TEMP.TXT" ] && [ "$(stat -c %h "$dir/ZPH_TEMP.TXT")" = 1 ] || fail "$what: still a link"
  [ "$(head -c 3 "$dir/ZPH_TEMP.TXT")" = $'hd\r' ] || fail "$what: the file holds no output"
  cmp -s "$dir/victim.txt" "$root/input" || fail "$what: the other file changed"
done

what="held link to another file"
fresh
cp "$root/input" "$dir/victim.txt"
ln -s victim.txt "$dir/ZPH_TEMP.TXT"
${runner:+"$runner"} "$holder" "$(to_windows "$dir/victim.txt")" "$(to_windows "$root/ready")" 6000 &
holder_pid=$!
for _ in $(seq 400); do [ -e "$root/ready" ] && break; sleep 0.05; done
[ -e "$root/ready" ] || fail "$what: the helper did not open the file"
run_tool
held=0
kill -0 "$holder_pid" 2>/dev/null && held=1
wait "$holder_pid" || fail "$what: the helper failed"
[ "$held" -eq 1 ] || fail "$what: the hold ended before the tool; the case proves nothing"
expect_one_line "$what" "cannot write the exchange file"
cmp -s "$dir/victim.txt" "$root/input" || fail "$what: the other file was written through the link"
[ -L "$dir/ZPH_TEMP.TXT" ] || fail "$what: the link is gone"

if [ "$failures" -gt 0 ]; then
  echo "$failures failures"
  exit 1
fi
echo "links: 5 cases passed"
