#!/usr/bin/env bash
# Runs every benchmark of bench/ against a release build and prints its figures with their
# anchors, measured in the same run.
set -euo pipefail
build=${1:-build/bench}
here=$(cd "$(dirname "$0")/.." && pwd)
echo "== text operations (64 MiB code page 936 text, markers at its end) =="
"$build/bench/text_bench" --benchmark_counters_tabular=true
echo
echo "== linkgrab-cli fetching 64 MiB from a loopback server, against curl =="
bash "$here/bench/cli_fetch.sh" "$build/tools/linkgrab-cli/linkgrab-cli" 7 "$build/bench/fresh_memory"
