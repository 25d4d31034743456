#!/usr/bin/env bash
# Installs what linkgrab needs on Debian 12 (bookworm), skipping what is already there:
#   scripts/install-deps.sh           the Linux build, its tests and benchmarks
#   scripts/install-deps.sh --win32   the same, and the 32-bit Windows build run under Wine:
#                                     MinGW-w64 (i686, POSIX threads), Wine with its 32-bit
#                                     half, the zh_CN.UTF-8 locale, and where this machine's
#                                     kernel runs no 32-bit programs, qemu-user to run them
# It runs apt-get through sudo when you are not root. When everything is present it asks no
# package registry anything; otherwise it runs apt-get update once, then installs.
set -euo pipefail

win32=0
for arg in "$@"; do
  case $arg in
    --win32) win32=1 ;;
    -h|--help) sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "install-deps: unknown argument: $arg" >&2; exit 2 ;;
  esac
done

if [ "$(id -u)" -eq 0 ]; then as_root() { "$@"; }; else as_root() { sudo "$@"; }; fi
export DEBIAN_FRONTEND=noninteractive
log=$(mktemp)
trap 'rm -f "$log"' EXIT

# Runs a command quietly; shows what it printed when it fails.
quietly() {
  if ! "$@" >"$log" 2>&1; then
    echo "install-deps: failed: $*" >&2
    cat "$log" >&2
    exit 1
  fi
}

installed() { [ "$(dpkg-query -W -f='${db:Status-Abbrev}' "$1" 2>/dev/null)" = "ii " ]; }

updated=0
apt_update() {
  if [ "$updated" -eq 0 ]; then
    quietly as_root apt-get update -q
    updated=1
  fi
}

# apt_install [apt-get option ...] -- package ...: installs those of the packages that are missing.
apt_install() {
  local options=() missing=()
  while [ "$1" != "--" ]; do options+=("$1"); shift; done
  shift
  for package in "$@"; do installed "$package" || missing+=("$package"); done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "install-deps: installing ${missing[*]}"
  apt_update
  quietly as_root apt-get install -y -q --no-remove -o Dpkg::Use-Pty=0 "${options[@]}" \
    "${missing[@]}"
}

apt_install -- \
  cmake g++ make pkg-config libcurl4-openssl-dev libpcre2-dev googletest libgtest-dev \
  libbenchmark-dev python3 openssl tinyproxy-bin curl ca-certificates

[ "$win32" -eq 1 ] || exit 0

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "install-deps: adding the i386 architecture"
  quietly as_root dpkg --add-architecture i386
  updated=0
fi
apt_install -- g++-mingw-w64-i686-posix wine wine64 wine32:i386 libgnutls30:i386 locales

if ! locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\{0,1\}8'; then
  echo "install-deps: generating the zh_CN.UTF-8 locale"
  if grep -q '^# *zh_CN\.UTF-8 UTF-8' /etc/locale.gen; then
    quietly as_root sed -i 's/^# *\(zh_CN\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  elif ! grep -q '^zh_CN\.UTF-8 UTF-8' /etc/locale.gen; then
    echo 'zh_CN.UTF-8 UTF-8' | quietly as_root tee -a /etc/locale.gen
  fi
  quietly as_root locale-gen
fi

# Wine's 32-bit half is a 32-bit Linux program. Where the kernel runs none (its 32-bit
# emulation switched off), qemu-user runs it instead; scripts/wine-env.sh registers it with
# the kernel when a Wine run needs it. Wine needs qemu 10 for this (7.2, Debian 12's own,
# cannot map Wine's fixed address ranges), which Debian 12 has in bookworm-backports.
if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  qemu_major=0
  if command -v qemu-i386 >/dev/null; then
    qemu_major=$(qemu-i386 --version | sed -n 's/^qemu-i386 version \([0-9]*\).*/\1/p')
  fi
  if [ "${qemu_major:-0}" -lt 10 ]; then
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    target=()
    if [ "$codename" = bookworm ]; then
      if ! grep -rqs 'bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/; then
        echo "install-deps: adding bookworm-backports (for qemu-user)"
        echo 'deb http://deb.debian.org/debian bookworm-backports main' |
          quietly as_root tee /etc/apt/sources.list.d/linkgrab-bookworm-backports.list
        updated=0
      fi
      target=(-t bookworm-backports)
    fi
    echo "install-deps: installing qemu-user (this kernel runs no 32-bit programs)"
    apt_update
    quietly as_root apt-get install -y -q -o Dpkg::Use-Pty=0 --no-install-recommends \
      "${target[@]}" qemu-user
  fi
fi
