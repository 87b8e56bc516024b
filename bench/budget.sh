#!/usr/bin/env bash
# Instruction budget of whole runs: instructions per input line, in all and
# per stage, counted by callgrind (valgrind). Counts do not depend on the
# machine's load, so they compare builds where wall times on a shared
# machine cannot.
#
#   bench/budget.sh
#
# 1. Builds the release tool and cadxform_one_thread (the tool with every
#    step on one thread: TPathPolicy::OneThread()) in build/bench, as
#    bench/run.sh does.
# 2. Generates (or reuses) the drawings of 10 thousand and 200 thousand
#    entities in the cache bench/run.sh uses.
# 3. For each size runs the translation (1 1 110 220) and the two-point
#    transform (1 3 0 0 10 50), each with one thread and with the tool's
#    default paths (two threads from one 1 MiB read and 50 000 entities on),
#    under callgrind, each on a fresh copy beside a copy of the program;
#    checks that both give the same bytes.
# 4. Prints the whole-process instructions of every run and per input line,
#    then per size a table of the instructions per input line of each stage:
#    the self cost of every function, given to the stage whose pattern its
#    name matches first (the STAGES table below; what is inlined counts in
#    the function it is inlined into).
#
# Environment (all optional):
#   BUDGET_SIZES   entity counts, default "10000 200000"
#   BENCH_SEED, BENCH_DATA   as for bench/run.sh
#   BUDGET_KEEP    a folder to keep the callgrind files in (for
#                  callgrind_annotate)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

sizes=${BUDGET_SIZES:-"10000 200000"}
build=$root/build/bench
source "$root/bench/common.sh"
command -v valgrind >/dev/null && command -v callgrind_annotate >/dev/null ||
  { echo "bench/budget.sh needs valgrind (callgrind and callgrind_annotate)" >&2; exit 1; }

# --- 1. build ----------------------------------------------------------------
buildlog=$build/budget_build.log
build_bench cadxform cadxform_one_thread cadxform_gen

# --- 2. drawings -------------------------------------------------------------
# shellcheck disable=SC2086  # the sizes are meant to split
make_drawings "$build/bench/cadxform_gen" $sizes

# --- 3. runs -------------------------------------------------------------------
work=$data/budget
rm -rf "$work"
mkdir -p "$work"
cp "$build/cadxform" "$work/cadxform"
cp "$build/bench/cadxform_one_thread" "$work/cadxform_one_thread"
keep=${BUDGET_KEEP:-$work}
mkdir -p "$keep"

# Stages: a pattern on the function's name (extended regular expression)
# and the stage's name; the first pattern that matches wins, the last
# catches the rest (start-up, the C library, the system's calls).
STAGES='
ReadExchangeFile|TLineAssembler|ScanChunk|ReadSplitOnTwoThreads|StripCr|FindEitherByte|FindByte|ReadFromFile|read chunks, cut lines
SplitCompact|TTokenLine::Split|SplitGeneral|SplitPlain|split lines into words
TTokenBatch|TBatchQueue|TSplitter|copy words into batches (2 threads)
StrToFloat|StrToInt|ParsePadded|ReadPaddedReal|ParseNumber|parse numbers
ParseLine|ParseTokens|reading::|THeadTable|AddOrder|TTextPool|TBlockSource|TBlockArray|TextCommand|build records
ForEachKind|pass_rules|TTranslation|TSimilarity|TRotation|RewrittenParams|TPassWork|Pass|the pass
AppendRealForm|AppendFixedRange|AppendOtherReal|AppendDecimal|LibraryDigits|TryShortDecimal|15-digit number form
PrimeRange|attribute-only passes (2 threads)
EmitRange|TOutBuffer|Put[A-Z]|Note[A-Z]|AddHeaderLine|FindUnwritable|Poll|IsBlankText|AppendIntForm|AppendHexForm|Emit|Segment|Chunk|assemble output lines
.|start-up, C library, other'

# lines FILE: the lines of FILE (a last line without LF counts).
lines() { awk 'END { print NR }' "$1"; }

# run_one N PROGRAM TAG ARGS...: runs PROGRAM on a fresh copy of the drawing
# of N entities under callgrind; the profile goes to $keep/TAG.cg.
run_one() {
  local n=$1 prog=$2 tag=$3
  shift 3
  rm -f "$work/ZPH_TEMP.TXT"
  cp "$(drawing "$n")" "$work/ZPH_TEMP.TXT"
  (cd "$work" && valgrind --tool=callgrind --callgrind-out-file="$keep/$tag.cg" \
    "./$prog" "$@" >/dev/null 2>"$work/valgrind.log") ||
    { cat "$work/valgrind.log"; echo "$prog $* on $n entities failed" >&2; exit 1; }
  [ "$(head -c 2 "$work/ZPH_TEMP.TXT")" = hd ] || { echo "$prog $* on $n entities: no hd output" >&2; exit 1; }
  mv "$work/ZPH_TEMP.TXT" "$work/$tag.out"
}

# stage_costs TAG: "stage<TAB>instructions" for every stage of the profile.
stage_costs() {
  callgrind_annotate --threshold=100 --inclusive=no "$keep/$1.cg" 2>/dev/null |
    awk -v stages="$STAGES" '
      BEGIN { n = split(stages, rows, "\n"); k = 0
              for (i = 1; i <= n; i++) if (rows[i] != "") {
                j = match(rows[i], /\|[^|]*$/); k++
                pat[k] = substr(rows[i], 1, j - 1); name[k] = substr(rows[i], j + 1) } }
      /PROGRAM TOTALS|^-|^Ir|^$/ { next }
      $1 ~ /^[0-9,]+$/ && $2 ~ /^\(/ {
        ir = $1; gsub(/,/, "", ir); fn = $0; sub(/^[^)]*\) +/, "", fn)
        for (i = 1; i <= k; i++) if (fn ~ pat[i]) { cost[i] += ir; break } }
      END { for (i = 1; i <= k; i++) printf "%s\t%d\n", name[i], cost[i] }'
}

total_of() { awk '/^(summary|totals):/ { print $2; exit }' "$keep/$1.cg"; }

declare -A total
kinds="translation:1 1 110 220|two-point:1 3 0 0 10 50"
for n in $sizes; do
  IFS='|' read -ra kindlist <<<"$kinds"
  for kind in "${kindlist[@]}"; do
    name=${kind%%:*}
    read -ra args <<<"${kind#*:}"
    run_one "$n" cadxform_one_thread "${n}_${name}_1" "${args[@]}"
    run_one "$n" cadxform "${n}_${name}_2" "${args[@]}"
    cmp -s "$work/${n}_${name}_1.out" "$work/${n}_${name}_2.out" ||
      { echo "$name on $n entities: one and two threads wrote different bytes" >&2; exit 1; }
    total[${n}_${name}_1]=$(total_of "${n}_${name}_1")
    total[${n}_${name}_2]=$(total_of "${n}_${name}_2")
  done
done

# --- 4. tables ---------------------------------------------------------------
echo
echo "Whole-process instructions (callgrind, every thread):"
printf '%9s %8s %12s  %-12s %8s %14s %9s\n' entities lines "out MB" run threads instructions "per line"
for n in $sizes; do
  nl=$(lines "$(drawing "$n")")
  for name in translation two-point; do
    for th in 1 2; do
      awk -v n="$n" -v l="$nl" -v r="$name" -v th="$th" -v t="${total[${n}_${name}_$th]}" \
          -v o="$(stat -c %s "$work/${n}_${name}_$th.out")" \
        'BEGIN { printf "%9d %8d %12.1f  %-12s %8s %12.1f M %9.0f\n", n, l, o / 1e6, r, th == 1 ? "one" : "default", t / 1e6, t / l }'
    done
  done
done
for n in $sizes; do
  nl=$(lines "$(drawing "$n")")
  echo
  echo "Instructions per input line by stage, $n entities ($nl lines):"
  printf '%-38s %12s %12s %12s %12s\n' stage "transl. one" "transl. dflt" "2-point one" "2-point dflt"
  paste <(stage_costs "${n}_translation_1") <(stage_costs "${n}_translation_2" | cut -f2) \
        <(stage_costs "${n}_two-point_1" | cut -f2) <(stage_costs "${n}_two-point_2" | cut -f2) |
    awk -F'\t' -v l="$nl" '{ printf "%-38s %12.0f %12.0f %12.0f %12.0f\n", $1, $2 / l, $3 / l, $4 / l, $5 / l
                             for (i = 2; i <= 5; i++) s[i] += $i }
         END { printf "%-38s %12.0f %12.0f %12.0f %12.0f\n", "all", s[2] / l, s[3] / l, s[4] / l, s[5] / l }'
done
[ "$keep" = "$work" ] && rm -rf "$work"
exit 0
