#!/usr/bin/env bash
# Checks the walls between the rooms of src/:
#   1. no file of the format (src/format, and the transforms src/app/move_all
#      and src/app/two_point) reaches, directly or through other headers, a
#      header of src/parallel or <thread>, <mutex>, <atomic>,
#      <condition_variable>, <future> or <shared_mutex>;
#   2. no installed header (include/cadxform) includes a header that is not
#      installed;
#   3. no circle of includes among the headers of src/ and include/.
# Prints each breach and exits 1 when there is one. Usage: scripts/check_walls.sh
set -euo pipefail
cd "$(dirname "$0")/.."

# The project headers a file includes, as paths from the top folder.
declare -A seen
project_includes() {  # project_includes FILE
  local inc
  for inc in $(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$1"); do
    if [ -f "include/$inc" ]; then echo "include/$inc"
    elif [ -f "src/$inc" ]; then echo "src/$inc"
    elif [ -f "$(dirname "$1")/$inc" ]; then echo "$(dirname "$1")/$inc"
    fi
  done
}

# Lists FILE and every project header it reaches.
reach() {  # reach FILE
  [ -n "${seen[$1]:-}" ] && return
  seen[$1]=1
  echo "$1"
  local h
  for h in $(project_includes "$1"); do reach "$h"; done
}

status=0
breach() { echo "walls: $*" >&2; status=1; }

format_files=$(ls src/format/*.h src/format/*.cpp src/app/move_all.* src/app/two_point.* 2>/dev/null)
for f in $format_files; do
  seen=()
  for r in $(reach "$f"); do
    case $r in src/parallel/*) breach "$f reaches $r" ;; esac
    if grep -qE '^#include <(thread|mutex|atomic|condition_variable|future|shared_mutex)>' "$r"; then
      breach "$f reaches $(grep -oE '<(thread|mutex|atomic|condition_variable|future|shared_mutex)>' "$r" | head -1) through $r"
    fi
  done
done

for h in include/cadxform/*.h; do
  for inc in $(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$h"); do
    [ -f "include/$inc" ] || [ "$inc" = cadxform/version.h ] || breach "$h includes $inc, which is not installed"
  done
done

edges=$(for h in $(ls src/*/*.h include/cadxform/*.h); do
  for inc in $(project_includes "$h"); do echo "$h $inc"; done
done)
if ! tsort <<<"$edges" >/dev/null 2>"${TMPDIR:-/tmp}/walls_tsort.$$"; then
  breach "include circle: $(tr '\n' ' ' <"${TMPDIR:-/tmp}/walls_tsort.$$")"
fi
rm -f "${TMPDIR:-/tmp}/walls_tsort.$$"

[ "$status" -eq 0 ] && echo "walls: format free of threads, installed headers self-contained, no include circle"
exit "$status"
