#!/usr/bin/env bash
# Runs every benchmark of bench/ against a release build, each with its anchor measured in the
# same run (memmem, curl, the same code at a smaller size), and prints their details, then one
# table of every figure with its anchor, the ratio and the goal.
#   scripts/run-benchmarks.sh [BUILD-DIR]      (default build/bench; `make bench` builds it)
set -euo pipefail
build=${1:-build/bench}
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
rows=$work/rows
: > "$rows"
export LINKGRAB_BENCH_ROWS=$rows

echo "== text operations (64 MiB code page 936 text, markers at its end), against memmem =="
"$build/bench/text_bench" --benchmark_counters_tabular=true \
  --benchmark_out="$work/text.json" --benchmark_out_format=json
python3 "$here/bench/report.py" gbench text "$work/text.json" >> "$rows"
echo
echo "== response headers with many Set-Cookie lines =="
"$build/bench/cookie_bench" --benchmark_out="$work/cookies.json" --benchmark_out_format=json
python3 "$here/bench/report.py" gbench cookies "$work/cookies.json" >> "$rows"
echo
echo "== linkgrab-cli fetching 64 MiB from a loopback server, against curl =="
bash "$here/bench/cli_fetch.sh" "$build/tools/linkgrab-cli/linkgrab-cli" 7 "$build/bench/fresh_memory"
echo
echo "== every figure =="
python3 "$here/bench/report.py" table "$rows"
