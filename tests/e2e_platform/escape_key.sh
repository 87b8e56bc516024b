#!/usr/bin/env bash
# The Escape key, end to end on the Windows build: the tool runs under Wine
# inside a Wine desktop window on a virtual X server of its own, and the key
# is pressed there as an X key event (xdotool), which Wine turns into the
# key state the tool polls. The key is pressed and seen by Wine (the helper
# escape_key waits for it with the tool's own poll) before a run starts, so
# no run races the key. Runs, each from a folder of its own:
#   - key held, a drawing of 70 000 entities (written on two threads):
#     the output is abandoned, exit status 0;
#   - key held, a drawing of 3 entities (one thread): abandoned likewise,
#     which also shows that the tool itself sees the key;
#   - key released, the large drawing: the whole output.
# An abandoned output holds only the layer group and layer lines of the
# drawing's first "lg" and "ly" lines, so the host keeps the user's
# entities as they were.
#   escape_key.sh EXE HELPER [RUNNER]
# EXE is cadxform.exe, HELPER escape_key.exe, RUNNER wine (the default).
set -euo pipefail
exe=$1
helper=$2
runner=${3:-wine}
export WINEDEBUG=${WINEDEBUG:--all}
for tool in Xvfb xdotool winepath awk; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/setup.sh installs it)"; exit 1; }
done

root=$(mktemp -d "${TMPDIR:-/tmp}/cadxform_escape.XXXXXX")
xvfb_pid=""
holder_pids=()

# Waits up to 30 s for FILE to exist.
wait_for_file() {  # wait_for_file FILE
  for _ in $(seq 300); do
    [ -e "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

# Ends the holders (they stop when the stop file appears; the desktop then
# closes, as nothing runs in it any more), then the X server, each by its
# own process id, and removes the folder.
cleanup() {
  : >"$root/stop"
  local pid
  for pid in "${holder_pids[@]}"; do
    for _ in $(seq 300); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$root"
}
trap cleanup EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A virtual X server on a display number it picks free itself (other tests
# may run their own at the same time), as small as the desktop, so the
# pointer lies inside the desktop window.
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$root/display" 2>"$root/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$root/display" ] && break
  sleep 0.1
done
[ -s "$root/display" ] || { echo "FAIL: Xvfb did not start: $(cat "$root/xvfb.log")"; exit 1; }
display=":$(head -n 1 "$root/display")"
# Only the commands that need the X server get it: whatever Wine starts for
# its session (the default desktop's explorer among them) must not, or it
# would lose its display when the X server goes.
unset DISPLAY

# The drawings: line entities on layer group 2, layer 3; and the whole
# output of the translation by (110, 220) of the large one.
drawing() {  # drawing COUNT
  awk -v n="$1" 'BEGIN { ORS = "\r\n"; print "lg2"; print "ly3"
    for (i = 0; i < n; i++) print i, i % 1000, i + 5, i % 1000 + 5 }'
}
large=70000
small=3
drawing "$large" >"$root/large.txt"
drawing "$small" >"$root/small.txt"
awk -v n="$large" 'BEGIN { ORS = "\r\n"; print "hd"; print "lg2"; print "ly3"; print "lc1"; print "lt1"; print "lw0"
  for (i = 0; i < n; i++) print i + 110, i % 1000 + 220, i + 115, i % 1000 + 225 }' >"$root/whole.txt"
printf 'lg2\r\nly3\r\n' >"$root/abandoned.txt"

cp "$helper" "$root/escape_key.exe"
winroot=$(winepath -w "$root" 2>/dev/null)
desktop="cadxform_escape_$$"

# Keeps Wine's session, started without the X server unless it runs
# already, alive until cleanup.
"$runner" "$root/escape_key.exe" hold "$winroot\\session.ready" "$winroot\\stop" 600 >>"$root/wine.log" 2>&1 &
holder_pids+=($!)
wait_for_file "$root/session.ready" || { echo "FAIL: Wine did not start"; cat "$root/wine.log"; exit 1; }

# Keeps the desktop, and the key state that lives in it, open between runs.
# This first start in the desktop creates it and returns when it closes.
DISPLAY=$display "$runner" explorer "/desktop=$desktop,640x480" \
  "$winroot\\escape_key.exe" hold "$winroot\\desktop.ready" "$winroot\\stop" 600 >>"$root/wine.log" 2>&1 &
holder_pids+=($!)
wait_for_file "$root/desktop.ready" || { echo "FAIL: the Wine desktop did not start"; cat "$root/wine.log"; exit 1; }

# The number after WORD on the first line of FILE ("WORD N", as the batch
# files write it), or nothing while the file does not hold one.
number_in() {  # number_in FILE WORD
  [ -f "$1" ] || return 0
  sed -n -E "1s/^$2 (-?[0-9]+)[ \r]*$/\1/p" "$1"
}

# Waits for the key to be seen as $2, then runs the tool on drawing $3 in
# folder $1 with the translation arguments, recording the exit statuses of
# both in the folder.
run_case() {  # run_case NAME down|up DRAWING
  local dir="$root/$1" win="$winroot\\$1"
  mkdir "$dir"
  cp "$exe" "$dir/cadxform.exe"
  cp "$root/$3" "$dir/ZPH_TEMP.TXT"
  printf '%s\r\n' "@echo off" \
    "\"$winroot\\escape_key.exe\" wait $2 30" \
    "echo key %ERRORLEVEL% >\"$win\\key.txt\"" \
    "\"$win\\cadxform.exe\" 1 1 110 220 >\"$win\\out.txt\" 2>\"$win\\err.txt\"" \
    "echo exit %ERRORLEVEL% >\"$win\\status.txt\"" >"$dir/run.bat"
  # Once the desktop exists, explorer returns as soon as the command has
  # started, with status 0 whatever it does: the batch file writes the exit
  # statuses, and its last line tells that it is done.
  DISPLAY=$display "$runner" explorer "/desktop=$desktop,640x480" cmd /c "$win\\run.bat" >>"$root/wine.log" 2>&1
  for _ in $(seq 1200); do
    [ -n "$(number_in "$dir/status.txt" exit)" ] && return
    sleep 0.1
  done
}

# Checks folder $1: key seen, exit status 0, nothing printed, the file
# holds the bytes of $2, nothing else left in the folder.
check_case() {  # check_case NAME EXPECTED_FILE
  local dir="$root/$1"
  [ "$(number_in "$dir/key.txt" key)" = 0 ] || { fail "$1: the key state was not seen"; return; }
  local status
  status=$(number_in "$dir/status.txt" exit)
  [ "$status" = 0 ] || fail "$1: exit status ${status:-missing}"
  [ ! -s "$dir/out.txt" ] && [ ! -s "$dir/err.txt" ] || fail "$1: printed $(cat "$dir/out.txt" "$dir/err.txt")"
  cmp -s "$dir/ZPH_TEMP.TXT" "$root/$2" ||
    fail "$1: the file holds $(wc -c <"$dir/ZPH_TEMP.TXT") bytes starting $(head -c 40 "$dir/ZPH_TEMP.TXT" | od -An -c | tr -s ' ' | head -c 120), not $2"
  local left
  left=$(ls -A "$dir" | grep -v -x -e cadxform.exe -e ZPH_TEMP.TXT -e run.bat -e key.txt -e status.txt \
    -e out.txt -e err.txt || true)
  [ -z "$left" ] || fail "$1: left $left"
}

# The desktop window, then the key pressed in it (focus and key in one
# connection to the X server, so in that order).
window=""
for _ in $(seq 300); do
  window=$(DISPLAY=$display xdotool search --name "^$desktop - Wine desktop\$" 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "FAIL: no Wine desktop window appeared"; cat "$root/wine.log"; exit 1; }
DISPLAY=$display xdotool windowfocus "$window" keydown Escape

run_case held_large down large.txt
run_case held_small down small.txt
DISPLAY=$display xdotool keyup Escape
run_case released_large up large.txt

check_case held_large abandoned.txt
check_case held_small abandoned.txt
check_case released_large whole.txt

if [ "$failures" -gt 0 ]; then
  echo "$failures failures"
  exit 1
fi
echo "Escape held: ${large} and ${small} entities abandoned (only lg2, ly3), exit status 0; released: the whole output of ${large} entities"
