#!/usr/bin/env bash
# Runs a command in the environment of the win32 build's programs under Wine:
#   scripts/wine-env.sh ctest --test-dir build/win32 --output-on-failure
#   scripts/wine-env.sh wine build/win32/tools/linkgrab-cli/linkgrab-cli.exe --help
# The win32 build's CTest runs every program through it (the emulator of
# cmake/toolchain-mingw-i686.cmake), so a plain ctest works too.
#
# The environment: LC_ALL=zh_CN.UTF-8 (Wine's ANSI code page is then 936), WINEDEBUG=-all, and
# WINEPREFIX=$LINKGRAB_WINEPREFIX, by default build/win32/wineprefix at the top of the tree.
# Before the command runs, and once only, it makes sure that
#   - the zh_CN.UTF-8 locale exists (scripts/install-deps.sh --win32 makes it);
#   - Wine's 32-bit half can start: where the kernel runs no 32-bit programs, qemu-i386 (10 or
#     later) is registered with the kernel's binfmt_misc to run them (needs root or sudo);
#   - the prefix exists: wineboot --init, then wineserver -w. A 64-bit prefix, so Wine's own
#     services run natively and only our 32-bit programs go through the 32-bit half.
# Console programs need no display; DISPLAY is passed on as it is.
set -euo pipefail

tree=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export LINKGRAB_WINEPREFIX=${LINKGRAB_WINEPREFIX:-$tree/build/win32/wineprefix}
export WINEPREFIX=$LINKGRAB_WINEPREFIX
export WINEDEBUG=-all
export LC_ALL=zh_CN.UTF-8
unset LANGUAGE

fail() {
  echo "wine-env: $*" >&2
  exit 2
}

if [ "$(id -u)" -eq 0 ]; then as_root() { "$@"; }; else as_root() { sudo -n "$@"; }; fi

wine32_loader=/usr/lib/wine/wine
binfmt=/proc/sys/fs/binfmt_misc
binfmt_entry=$binfmt/linkgrab-i386

check_tools() {
  command -v wine >/dev/null && command -v wineserver >/dev/null ||
    fail "Wine is missing: run scripts/install-deps.sh --win32"
  [ -x "$wine32_loader" ] || fail "Wine's 32-bit half is missing: run scripts/install-deps.sh --win32"
  locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\{0,1\}8' ||
    fail "the zh_CN.UTF-8 locale is missing: run scripts/install-deps.sh --win32"
}

can_run_32bit() { "$wine32_loader" --version >/dev/null 2>&1; }

# Hands 32-bit x86 ELF programs to qemu-i386 (F: the kernel keeps the interpreter open, so it
# works from any mount namespace).
register_qemu() {
  local qemu major
  qemu=$(command -v qemu-i386 || true)
  [ -n "$qemu" ] || fail "this kernel runs no 32-bit programs and qemu-i386 is missing: run scripts/install-deps.sh --win32"
  major=$("$qemu" --version | sed -n 's/^qemu-i386 version \([0-9]*\).*/\1/p')
  [ "${major:-0}" -ge 10 ] ||
    fail "this kernel runs no 32-bit programs and $qemu is older than 10, too old for Wine: run scripts/install-deps.sh --win32"
  qemu=$(readlink -f "$qemu")
  if ! [ -e "$binfmt/register" ]; then
    as_root mount -t binfmt_misc binfmt_misc "$binfmt" ||
      fail "cannot mount binfmt_misc (needs root or sudo) to run 32-bit programs with qemu-i386"
  fi
  if [ -e "$binfmt_entry" ]; then
    echo -1 | as_root tee "$binfmt_entry" >/dev/null || true
  fi
  local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  echo ":linkgrab-i386:M::$magic:$mask:$qemu:F" | as_root tee "$binfmt/register" >/dev/null ||
    fail "cannot register qemu-i386 with binfmt_misc (needs root or sudo)"
}

prefix_ready() { [ -f "$WINEPREFIX/.linkgrab-ready" ] && [ -f "$WINEPREFIX/system.reg" ]; }

make_prefix() {
  local log=$WINEPREFIX.log
  rm -rf "$WINEPREFIX"  # what an interrupted start-up left
  mkdir -p "$(dirname "$WINEPREFIX")"
  echo "wine-env: creating the Wine prefix $WINEPREFIX" >&2
  # No offer to install Mono or Gecko: nothing here uses them.
  if ! WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=err-all wineboot --init >"$log" 2>&1 ||
     ! wineserver -w >>"$log" 2>&1 || ! [ -f "$WINEPREFIX/system.reg" ]; then
    cat "$log" >&2
    fail "wineboot could not create the prefix $WINEPREFIX"
  fi
  wine --version >"$WINEPREFIX/.linkgrab-ready"
  rm -f "$log"
}

# Set-up, once: later runs in the same environment (each program of a test run) skip it.
if [ "${LINKGRAB_WINE_READY:-}" != "$WINEPREFIX" ] || ! prefix_ready; then
  check_tools
  mkdir -p "$(dirname "$WINEPREFIX")"
  exec 9>"$WINEPREFIX.lock"
  flock 9  # parallel test programs wait for the one that sets up
  if ! can_run_32bit; then
    register_qemu
    can_run_32bit || fail "Wine's 32-bit half does not start even through qemu-i386"
  fi
  prefix_ready || make_prefix
  exec 9>&-
  export LINKGRAB_WINE_READY=$WINEPREFIX
fi

[ $# -gt 0 ] || exit 0
exec "$@"
