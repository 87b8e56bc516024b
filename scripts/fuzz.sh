#!/usr/bin/env bash
# Fuzzes the whole tool with libFuzzer for a set time (seconds, default 600).
# New findings land in fuzz/findings/; keep each as a regression input in
# fuzz/regressions/ once fixed. Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-600}"
scripts/setup.sh >/dev/null
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target fuzz_exchange
work="build/fuzz/work"
mkdir -p "$work/corpus" fuzz/findings
cp -n fuzz/corpus/* fuzz/regressions/* "$work/corpus/" 2>/dev/null || true
build/fuzz/fuzz/fuzz_exchange -max_total_time="$seconds" -max_len=65536 -timeout=10 \
  -artifact_prefix=fuzz/findings/ -print_final_stats=1 "$work/corpus"
