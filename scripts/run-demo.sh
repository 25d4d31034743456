#!/usr/bin/env bash
# Serves the sample page on 127.0.0.1 and shows what linkgrab extracts from it, one line a
# marker, with the page's link opened nowhere.
set -euo pipefail
cli=${1:?usage: run-demo.sh PATH-TO-linkgrab-cli}
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
python3 "$here/tests/fixtures/fixture_server.py" --port-file "$work/ports" &
server=$!
trap 'kill $server 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -s "$work/ports" ] && break; sleep 0.1; done
read -r port _ < "$work/ports"
url="http://127.0.0.1:$port/page/sample.html"
echo "page: $url"
for marker in @@ '##' %%; do
  printf '%s  ' "$marker"
  "$cli" --between "$marker" "$url" || true
  echo
done
