#!/usr/bin/env bash
# linkgrab-cli fetching a 64 MiB body from the loopback fixture server, against curl in the same
# run: the median wall time of several runs each, the ratio of the two (goal: at most 1.15),
# and linkgrab-cli's peak memory as a multiple of the body (goal: at most 4). With the path of
# bench/fresh_memory it also measures, in the same run, the first write of one body-sized
# buffer of fresh memory: the least that holding the body costs, which curl never pays.
# It also takes the peak memory of one fetch of a 256 MiB page. With LINKGRAB_BENCH_ROWS set to
# a file, it appends its figures there as rows for bench/report.py.
#   bench/cli_fetch.sh PATH-TO-linkgrab-cli [RUNS [PATH-TO-fresh_memory]]
# It builds nothing; it starts the servers itself with tests/fixtures/with_servers.sh.
set -euo pipefail
cli=${1:?usage: cli_fetch.sh PATH-TO-linkgrab-cli [RUNS]}
runs=${2:-7}
fresh=${3:-}
here=$(cd "$(dirname "$0")/.." && pwd)

if [ "${LINKGRAB_BENCH_INNER:-}" != 1 ]; then
  [ -x "$cli" ] || { echo "cli_fetch: $cli is not an executable" >&2; exit 2; }
  command -v curl >/dev/null || { echo "cli_fetch: curl is needed as the anchor" >&2; exit 2; }
  LINKGRAB_BENCH_INNER=1 exec bash "$here/tests/fixtures/with_servers.sh" \
    bash "$0" "$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")" "$runs" \
    "${fresh:+$(cd "$(dirname "$fresh")" && pwd)/$(basename "$fresh")}"
fi

size=67108864
url="http://127.0.0.1:$LINKGRAB_HTTP_PORT/bytes?n=$size"

now_ns() { date +%s%N; }

# seconds COMMAND...: the wall time of one run, in seconds; fails when the command fails.
seconds() {
  local start end
  start=$(now_ns)
  "$@" >/dev/null 2>&1 || { echo "cli_fetch: failed: $*" >&2; return 1; }
  end=$(now_ns)
  awk -v ns=$((end - start)) 'BEGIN { printf "%.4f\n", ns / 1e9 }'
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# peak_kib COMMAND...: the peak resident memory of one run, in KiB.
peak_kib() {
  if [ -x /usr/bin/time ]; then
    /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }'
  else
    # No time(1): sample VmHWM, the process's own high-water mark, until it ends.
    "$@" >/dev/null 2>&1 &
    local pid=$! hwm=0 value
    while kill -0 "$pid" 2>/dev/null; do
      value=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || true)
      [ -n "$value" ] && hwm=$value
      sleep 0.01
    done
    wait "$pid"
    echo "$hwm"
  fi
}

# One warm-up each, then the runs interleaved so that both see the same machine.
seconds "$cli" -o /dev/null "$url" >/dev/null
seconds curl -s -o /dev/null "$url" >/dev/null
cli_times=()
curl_times=()
for _ in $(seq "$runs"); do
  cli_times+=("$(seconds "$cli" -o /dev/null "$url")")
  curl_times+=("$(seconds curl -s -o /dev/null "$url")")
done
fresh_times=()
if [ -n "$fresh" ]; then
  for _ in $(seq "$runs"); do fresh_times+=("$("$fresh" "$size")"); done
fi
fresh_median=$( [ ${#fresh_times[@]} -gt 0 ] && printf '%s\n' "${fresh_times[@]}" | median || echo "")
cli_median=$(printf '%s\n' "${cli_times[@]}" | median)
curl_median=$(printf '%s\n' "${curl_times[@]}" | median)

peaks=()
for _ in 1 2 3; do peaks+=("$(peak_kib "$cli" -o /dev/null "$url")"); done
peak=$(printf '%s\n' "${peaks[@]}" | median)
large=268435456
large_peak=$(peak_kib "$cli" -o /dev/null "http://127.0.0.1:$LINKGRAB_HTTP_PORT/bytes?n=$large")

if [ -n "${LINKGRAB_BENCH_ROWS:-}" ]; then
  {
    printf '%s\t%s\t%s\t%s\t%s\t%s\n' "linkgrab-cli -o, 64 MiB from loopback" "$cli_median" \
      "curl -o" "$curl_median" s "<= 1.15"
    if [ -n "$fresh_median" ]; then
      printf '%s\t%s\t%s\t%s\t%s\t%s\n' "  first write of one fresh 64 MiB buffer" \
        "$fresh_median" "curl -o" "$curl_median" s ""
    fi
    printf '%s\t%s\t%s\t%s\t%s\t%s\n' "linkgrab-cli peak memory, 64 MiB body" \
      "$(awk -v k="$peak" 'BEGIN { print k / 1024 }')" "the body" 64 MiB "<= 4"
    printf '%s\t%s\t%s\t%s\t%s\t%s\n' "linkgrab-cli peak memory, 256 MiB page" \
      "$(awk -v k="$large_peak" 'BEGIN { print k / 1024 }')" "the body" 256 MiB "<= 4"
  } >> "$LINKGRAB_BENCH_ROWS"
fi

awk -v cli="$cli_median" -v curl="$curl_median" -v fresh="$fresh_median" -v large="$large_peak" -v peak="$peak" -v size="$size" -v runs="$runs" '
BEGIN {
  ratio = cli / curl
  multiple = peak * 1024 / size
  printf "body %d MiB from 127.0.0.1, %d runs each, medians\n", size / 1048576, runs
  printf "%-34s %12s %12s %8s\n", "figure", "linkgrab-cli", "curl", "goal"
  printf "%-34s %12.3f %12.3f %8s\n", "wall time (s)", cli, curl, ""
  printf "%-34s %12.2f %12s %8s  %s\n", "time ratio (linkgrab-cli / curl)", ratio, "", "<= 1.15", (ratio <= 1.15 ? "met" : "NOT met")
  if (fresh != "") {
    printf "%-34s %12.3f %12s %8s\n", "one fresh body-sized buffer (s)", fresh, "", ""
    printf "%-34s %12.2f %12s %8s\n", "  that alone / curl", fresh / curl, "", ""
  }
  printf "%-34s %12.1f %12s %8s\n", "peak memory (MiB)", peak / 1024, "", ""
  printf "%-34s %12.2f %12s %8s  %s\n", "peak memory / body", multiple, "", "<= 4", (multiple <= 4 ? "met" : "NOT met")
  printf "%-34s %12.2f %12s %8s  %s\n", "peak memory / body, 256 MiB", large * 1024 / 268435456, "", "<= 4", (large * 1024 / 268435456 <= 4 ? "met" : "NOT met")
}'
