#!/usr/bin/env bash
# Checks linkgrab-cli against the fixture servers: its options, exit statuses, character sets
# and output files. Run it with the servers up:
#   tests/fixtures/with_servers.sh bash tests/cli/cli_test.sh PATH-TO-linkgrab-cli
# Prints one line a check and "N passed, N failed" at the end; exits non-zero when any failed.
set -u
cli=${1:?usage: cli_test.sh PATH-TO-linkgrab-cli}
for variable in LINKGRAB_HTTP_PORT LINKGRAB_HTTPS_PORT LINKGRAB_PROXY_PORT; do
  if [ -z "${!variable:-}" ]; then
    echo "cli_test: $variable is not set; run this through tests/fixtures/with_servers.sh" >&2
    exit 2
  fi
done
[ -x "$cli" ] || { echo "cli_test: $cli is not an executable" >&2; exit 2; }

here=$(cd "$(dirname "$0")" && pwd)
sample=$here/../fixtures/pages/sample.html
base=http://127.0.0.1:$LINKGRAB_HTTP_PORT
proxy=127.0.0.1:$LINKGRAB_PROXY_PORT
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LC_ALL=C.UTF-8

passed=0
failed=0
status=0

# run ARGS...: runs linkgrab-cli, keeping its standard output, standard error and exit status.
run() {
  "$cli" "$@" >"$work/out" 2>"$work/err"
  status=$?
}

# The fixture server's /raw address answering with exactly the bytes of this printf format.
raw_url() {
  printf "$1" >"$work/raw"
  echo "$base/raw?r=$(base64 -w0 <"$work/raw" | tr '+/' '-_' | tr -d '=')"
}

# Checks on the last run.
status_is() { [ "$status" -eq "$1" ]; }
out_is() { printf '%s' "$1" | cmp -s - "$work/out"; }
out_bytes_are() { printf "$1" | cmp -s - "$work/out"; }
out_starts_with() { head -c "${#1}" "$work/out" | cmp -s - <(printf '%s' "$1"); }
out_ends_with() { tail -c "$(printf '%s' "$1" | wc -c)" "$work/out" | cmp -s - <(printf '%s' "$1"); }
out_has_line() { tr -d '\r' <"$work/out" | grep -qxF -- "$1"; }
err_is() { printf '%s\n' "$1" | cmp -s - "$work/err"; }
err_has() { grep -qF -- "$1" "$work/err"; }
no_output() { [ ! -s "$work/out" ]; }
no_errors() { [ ! -s "$work/err" ]; }

# check NAME COMMAND...: the command is a function running linkgrab-cli and checking the run.
check() {
  local name=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
    echo "ok - $name"
  else
    failed=$((failed + 1))
    echo "not ok - $name (exit status $status)"
    echo "  stdout: $(head -c 300 "$work/out" | cat -v)"
    echo "  stderr: $(head -c 300 "$work/err" | cat -v)"
  fi
}

# --- command line -----------------------------------------------------------------------------

help_is_documented() {
  run --help && status_is 0 && no_errors || return 1
  local option
  for option in --request --data --cookie --header --no-redirect --user --proxy-user --proxy \
    --max-time --no-merge --between --show-status --show-received-cookies --show-cookies \
    --show-location --show-headers --output --raw 'Exit status'; do
    grep -qF -- "$option" "$work/out" || return 1
  done
}
check "--help documents every option and the exit status" help_is_documented

usage_errors() {
  local arguments
  while IFS='|' read -r message arguments; do
    eval "run $arguments"
    status_is 2 && no_output && err_has "$message" && err_has "--help" || {
      echo "  for: $arguments"
      return 1
    }
  done <<EOF
no address given|
no address given|--raw --show-status
unknown option|--frobnicate $base/echo
unknown option|-Z $base/echo
needs a value|$base/echo --between
needs a value|$base/echo -o
unsupported method 'DELETE'|-X DELETE $base/echo
needs USER:PASS|-u alice $base/echo
needs USER:PASS|-U alice $base/echo
whole number of seconds|-m abc $base/echo
whole number of seconds|-m -1 $base/echo
whole number of seconds|-m 1.5 $base/echo
whole number of seconds|-m 2147484 $base/echo
takes no value|--raw=yes $base/echo
more than one address|$base/echo $base/echo
needs a file name|-o '' $base/echo
EOF
}
check "usage errors exit with 2 and say what is wrong" usage_errors

option_spellings() {
  run -XPUT "--data=a=1" --header=X-Spelled:\ yes -- "$base/echo" &&
    status_is 0 && out_starts_with "PUT /echo HTTP/1.1"$'\r\n' && out_has_line "X-Spelled: yes" &&
    out_ends_with $'\r\n\r\na=1' || return 1
  run --request put -d b=2 "$base/echo" && status_is 0 && out_starts_with "PUT /echo" || return 1
  run -m0 "$base/echo" && status_is 0 && out_starts_with "GET /echo"
}
check "attached values, --name=value, lower-case methods and --" option_spellings

# --- page text and character sets -------------------------------------------------------------

page_in_utf8() {
  run "$base/page/sample.html" && status_is 0 && no_errors || return 1
  python3 -c 'import sys; sys.stdout.buffer.write(open(sys.argv[1], "rb").read().decode("gbk").encode("utf-8"))' \
    "$sample" >"$work/expected" && cmp -s "$work/expected" "$work/out"
}
check "the page text is written in UTF-8 under a UTF-8 locale" page_in_utf8

page_raw() {
  run --raw "$base/page/sample.html" && status_is 0 && cmp -s "$sample" "$work/out"
}
check "--raw writes the page's code page 936 bytes" page_raw

between_markers() {
  run --between @@ "$base/page/sample.html" && status_is 0 &&
    out_is "http://127.0.0.1/s/linkgrab-sample" || return 1
  run --between '##' "$base/page/sample.html" && status_is 0 && out_is "密码 8k2x" || return 1
  run --raw --between '##' "$base/page/sample.html" && status_is 0 &&
    out_bytes_are '\xc3\xdc\xc2\xeb 8k2x' || return 1
  run --between %% "$base/page/sample.html" && status_is 0 && no_output && no_errors
}
check "--between cuts between the first two markers, UTF-8 or raw" between_markers

chinese_marker() {
  # The marker goes in as code page 936: between the 码 of 提取码 and the 码 of 密码.
  run --between 码 "$base/page/sample.html" && status_is 0 && out_is "：<!--##密"
}
check "a Chinese marker is converted before the search" chinese_marker

c_locale_passes_bytes() {
  LC_ALL=C run --between '##' "$base/page/sample.html" && status_is 0 &&
    out_bytes_are '\xc3\xdc\xc2\xeb 8k2x'
}
check "under the C locale bytes pass unconverted" c_locale_passes_bytes

zero_byte() {
  local url
  url=$(raw_url 'HTTP/1.1 200 OK\r\nContent-Length: 7\r\nConnection: close\r\n\r\nab\0cd\0e')
  run "$url" && status_is 0 && out_is "ab" || return 1
  run -o "$work/body" "$url" && status_is 0 && no_output && no_errors || return 1
  printf 'ab\0cd\0e' | cmp -s - "$work/body" || return 1
  run -o - "$url" && status_is 0 && out_bytes_are 'ab\0cd\0e'
}
check "the page text ends at a zero byte; -o keeps the whole body" zero_byte

output_file_with_between() {
  run -o "$work/page.html" --between @@ "$base/page/sample.html" && status_is 0 &&
    out_is "http://127.0.0.1/s/linkgrab-sample" && cmp -s "$sample" "$work/page.html"
}
check "-o writes the raw body while --between still writes its text" output_file_with_between

output_file_fails() {
  run -o "$work/no/such/folder/body" "$base/echo" && status_is 3 && no_output &&
    err_has "$work/no/such/folder/body"
}
check "an output file that cannot be made exits with 3" output_file_fails

# --- request options ----------------------------------------------------------------------------

methods_and_bodies() {
  run -d 'x=1&y=2' "$base/echo" && status_is 0 && out_starts_with "POST /echo HTTP/1.1"$'\r\n' &&
    out_has_line "Content-Length: 7" && out_ends_with $'\r\n\r\nx=1&y=2' || return 1
  run -X GET -d 'q=1' "$base/echo" && status_is 0 && out_starts_with "GET /echo" &&
    out_ends_with $'\r\n\r\nq=1' || return 1
  run -X HEAD "$base/echo" && status_is 0 && no_output || return 1
  run -X POST "$base/echo" && status_is 0 && out_starts_with "POST /echo"
}
check "-X and -d: the method and the body the server received" methods_and_bodies

chinese_body() {
  run --raw -d '中文' "$base/echo" && status_is 0 &&
    tail -c 4 "$work/out" | cmp -s - <(printf '\xd6\xd0\xce\xc4') || return 1
  run -d '中文' "$base/echo" && status_is 0 && out_ends_with $'\r\n\r\n中文'
}
check "the body goes out as code page 936 and comes back as UTF-8" chinese_body

headers() {
  run -H 'X-One: 1' -H 'X-Two: zwei' -H 'User-Agent: cli-test' "$base/echo" && status_is 0 &&
    out_has_line "X-One: 1" && out_has_line "X-Two: zwei" && out_has_line "User-Agent: cli-test" &&
    ! grep -q "Mozilla" "$work/out" && out_has_line "Accept-Language: zh-cn"
}
check "-H lines are sent, replacing the defaults they name" headers

cookies_sent() {
  run -b 'a=1; b=2' "$base/cookies/show" && status_is 0 && out_is "a=1; b=2" || return 1
  run -b '' "$base/echo" && status_is 0 && ! grep -q '^Cookie:' "$work/out" || return 1
  run "$base/echo" && status_is 0 && ! grep -q '^Cookie:' "$work/out"
}
check "-b sends its cookies; an empty -b sends no cookie line" cookies_sent

cookies_merged() {
  local set="$base/cookies/set?c=b%3D3%3B%20Path%3D%2F&c=c%3D4"
  run -o /dev/null --show-received-cookies --show-cookies -b 'a=1; b=2' "$set" && status_is 0 &&
    out_is $'b=3; c=4; a=1\nb=3; c=4; a=1\n' || return 1
  run -o /dev/null --show-received-cookies --show-cookies --no-merge -b 'a=1; b=2' "$set" &&
    status_is 0 && out_is $'b=3; c=4\na=1; b=2\n' || return 1
  run -o /dev/null --show-received-cookies --show-cookies "$set" && status_is 0 &&
    out_is $'b=3; c=4\n\n'
}
check "--show-received-cookies and --show-cookies, merged and not" cookies_merged

status_and_location() {
  run -o /dev/null --show-status "$base/status?code=404&reason=Not%20Found" && status_is 0 &&
    out_is $'404 Not Found\n' || return 1
  run --show-status --show-location --no-redirect "$base/redirect?to=/echo%3Fa%3D1" &&
    status_is 0 && out_is $'302 Found\n/echo?a=1\nmoved' || return 1
  run --show-status --show-location "$base/redirect?to=/status%3Fcode%3D200" && status_is 0 &&
    out_is $'200 OK\n\nstatus 200'
}
check "--show-status and --show-location, with and without --no-redirect" status_and_location

raw_headers() {
  run -o /dev/null --show-headers "$base/cookies/set?c=k%3Dv" && status_is 0 &&
    out_starts_with $'HTTP/1.1 200 OK\r\n' && out_ends_with $'\r\n\r\n' &&
    out_has_line "Set-Cookie: k=v"
}
check "--show-headers writes the raw response headers" raw_headers

credentials() {
  local url="$base/auth?user=alice&pass=s3cret"
  run -u alice:s3cret "$url" && status_is 0 && out_is "authorized" || return 1
  run --show-status -u alice:wrong "$url" && status_is 0 && out_is $'401 Unauthorized\nwho are you'
}
check "-u: right and wrong credentials" credentials

through_proxy() {
  run -x "$proxy" "$base/echo?via=proxy" && status_is 0 && out_starts_with "GET /echo?via=proxy HTTP/1." ||
    return 1
  run -x 127.0.0.1:1 "$base/echo" && status_is 1 && no_output && err_is "711 发送请求失败!"
}
check "-x sends the request through the proxy" through_proxy

# --- failures -----------------------------------------------------------------------------------

time_out() {
  run -m 1 "$base/slow?delay=3" && status_is 1 && no_output && err_is "712 服务器未响应!" || return 1
  run -m 3 "$base/slow?delay=1" && status_is 0 && out_is "slow"
}
check "-m: a slower server fails with the 712 text, a faster one answers" time_out

failure_texts() {
  run http://127.0.0.1:1/ && status_is 1 && no_output && err_is "711 发送请求失败!" || return 1
  run ftp://127.0.0.1/ && status_is 1 && err_is "701 解析URL地址失败!" || return 1
  run --raw http://127.0.0.1:1/ && status_is 1 && printf '711 \xb7\xa2\xcb\xcd\xc7\xeb\xc7\xf3\xca\xa7\xb0\xdc!\n' | cmp -s - "$work/err"
}
check "failures write the error text to stderr and exit with 1" failure_texts

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
