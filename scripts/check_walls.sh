#!/usr/bin/env bash
# Checks the walls between the rooms of src/. The rooms are layers: the
# README's Layout section names them once, lowest first, on its line
# "Rooms, lowest first: ...", and each room uses only the rooms before it:
#   1. every folder of src/ is a room of that line;
#   2. no file of a room includes, directly, a header of a room after it
#      (an installed header of include/cadxform counts as the room named
#      for it in the table below; a new installed header must be named
#      there);
#   3. no object file of a room uses a symbol that only rooms after it
#      define (nm over the objects of the build folder given);
#   4. the one-thread code (the format and the transforms, and the tool's
#      two transforms in src/app) reaches no header of <thread>, <mutex>,
#      <atomic>, <condition_variable>, <future> or <shared_mutex>;
#   5. no installed header includes a header that is not installed;
#   6. no circle of includes among the headers of src/ and include/.
# Prints each breach and exits 1 when there is one.
#   scripts/check_walls.sh [BUILD_DIR]   (without it, check 3 is skipped)
set -euo pipefail
build=${1:-}
cd "$(dirname "$0")/.."

status=0
breach() { echo "walls: $*" >&2; status=1; }

# The order, from the README.
read -r -a rooms <<<"$(sed -n 's/^Rooms, lowest first: //p' README.md | grep -o '`[a-z]*`' | tr -d '`' | tr '\n' ' ')"
[ "${#rooms[@]}" -ge 2 ] || { echo "walls: no line 'Rooms, lowest first: ...' in README.md" >&2; exit 1; }
declare -A rank
for i in "${!rooms[@]}"; do rank[${rooms[$i]}]=$i; done

# The room each installed header belongs to: the room that implements it
# (or, for a header of declarations only, the lowest room it fits).
declare -A installed=(
  [path.h]=platform [platform.h]=platform [block_array.h]=platform
  [cp932.h]=numeric [number_form.h]=numeric [fp_setup.h]=numeric [geometry.h]=numeric [parse_number.h]=numeric [rounding.h]=numeric
  [drawing.h]=format [head_table.h]=format [text_pool.h]=format [record_kinds.h]=format
  [emit_options.h]=format [version.h]=format [write_rules.h]=format
  [record_ops.h]=transforms [similarity.h]=transforms [mirror.h]=transforms
  [transform.h]=parallel
  [run.h]=run [cadxform.h]=run
)

# 1. Every folder of src/ has its place.
for dir in src/*/; do
  room=$(basename "$dir")
  [ -n "${rank[$room]:-}" ] || breach "src/$room is no room of the README's order (${rooms[*]})"
done
for h in include/cadxform/*.h; do
  [ -n "${installed[$(basename "$h")]:-}" ] || breach "$h has no room in scripts/check_walls.sh"
done

# The room of a project header as written in an #include, or nothing.
room_of_include() {  # room_of_include INCLUDE
  case $1 in
    cadxform/*) echo "${installed[${1#cadxform/}]:-}" ;;
    */*) [ -f "src/$1" ] && echo "${1%%/*}" ;;
  esac
  return 0
}

# 2. Includes point down (or across, within a room).
check_includes() {  # check_includes FILE ROOM
  local inc to
  for inc in $(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$1"); do
    to=$(room_of_include "$inc")
    [ -n "$to" ] && [ -n "${rank[$to]:-}" ] || continue
    [ "${rank[$to]}" -le "${rank[$2]}" ] || breach "$1 ($2) includes $inc ($to), a room above it"
  done
}
for room in "${rooms[@]}"; do
  for f in src/"$room"/*.h src/"$room"/*.cpp; do [ -f "$f" ] && check_includes "$f" "$room"; done
done
for h in include/cadxform/*.h; do
  room=${installed[$(basename "$h")]:-}
  [ -n "$room" ] && check_includes "$h" "$room"
done

# 3. Symbols: what a room's objects use is defined in that room or below.
if [ -n "$build" ]; then
  declare -A defined_rank  # symbol -> lowest rank of a room defining it
  objects_of() { find "$build" -name '*.o' -path "*/src/$1/*" 2>/dev/null | sort; }
  for room in "${rooms[@]}"; do
    objs=$(objects_of "$room")
    [ -n "$objs" ] || continue
    while read -r sym; do
      [ -n "${defined_rank[$sym]:-}" ] || defined_rank[$sym]=${rank[$room]}
    done < <(nm --defined-only $objs 2>/dev/null | awk 'NF == 3 && $2 ~ /[A-Z]/ {print $3}' | sort -u)
  done
  for room in "${rooms[@]}"; do
    objs=$(objects_of "$room")
    [ -n "$objs" ] || continue
    own=$(nm --defined-only $objs 2>/dev/null | awk 'NF == 3 {print $3}' | sort -u)
    while read -r sym; do
      r=${defined_rank[$sym]:-}
      [ -n "$r" ] && [ "$r" -gt "${rank[$room]}" ] || continue
      grep -qxF -- "$sym" <<<"$own" && continue
      breach "src/$room uses $(c++filt -- "$sym"), defined only in src/${rooms[$r]}, a room above it"
    done < <(nm -u $objs 2>/dev/null | awk 'NF == 2 {print $2}' | sort -u)
  done
  [ "${#defined_rank[@]}" -gt 0 ] || breach "no object files of the rooms in $build"
fi

# 4. The one-thread code reaches no thread header.
declare -A seen
project_includes() {  # project_includes FILE: the project headers it includes
  local inc
  for inc in $(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$1"); do
    if [ -f "include/$inc" ]; then echo "include/$inc"
    elif [ -f "src/$inc" ]; then echo "src/$inc"
    elif [ -f "$(dirname "$1")/$inc" ]; then echo "$(dirname "$1")/$inc"
    fi
  done
}
reach() {  # reach FILE: it and every project header it reaches
  [ -n "${seen[$1]:-}" ] && return
  seen[$1]=1
  echo "$1"
  local h
  for h in $(project_includes "$1"); do reach "$h"; done
}
threads='<(thread|mutex|atomic|condition_variable|future|shared_mutex)>'
for f in $(ls src/format/* src/transforms/* src/app/move_all.* src/app/two_point.* 2>/dev/null); do
  seen=()
  for r in $(reach "$f"); do
    if grep -qE "^#include $threads" "$r"; then
      breach "$f reaches $(grep -oE "$threads" "$r" | head -1) through $r"
    fi
  done
done

# 5. Installed headers are self-contained.
for h in include/cadxform/*.h; do
  for inc in $(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$h"); do
    [ -f "include/$inc" ] || [ "$inc" = cadxform/version.h ] || breach "$h includes $inc, which is not installed"
  done
done

# 6. No include circle.
edges=$(for h in $(ls src/*/*.h include/cadxform/*.h); do
  for inc in $(project_includes "$h"); do echo "$h $inc"; done
done)
if ! tsort <<<"$edges" >/dev/null 2>"${TMPDIR:-/tmp}/walls_tsort.$$"; then
  breach "include circle: $(tr '\n' ' ' <"${TMPDIR:-/tmp}/walls_tsort.$$")"
fi
rm -f "${TMPDIR:-/tmp}/walls_tsort.$$"

if [ "$status" -eq 0 ]; then
  echo "walls: rooms ${rooms[*]} used downwards only (includes${build:+ and symbols}), one-thread code free of threads, installed headers self-contained, no include circle"
fi
exit "$status"
