#!/usr/bin/env bash
# Checks that each Windows program given is a PE32 executable for i386 that runs on a bare
# Windows system: it imports no MinGW runtime DLL (libstdc++-6.dll, libgcc_s_*.dll,
# libwinpthread-1.dll or any other lib*.dll), only DLLs that Windows itself provides, and not
# Winhttp.dll, which the program loads by name when it runs.
#   check_pe.sh OBJDUMP PROGRAM.exe ...
#   check_pe.sh --self-test OBJDUMP CXX    builds a program with and one without the static
#                                          runtime and checks that only the first passes
# Windows' own DLLs are those that Wine provides for 32-bit programs (its i386-windows folder)
# plus the api-ms-win-* and ext-ms-win-* sets; without Wine the check falls back to the pattern
# of MinGW's runtime DLLs alone.
export LC_ALL=C  # objdump speaks English only in the C locale; the run sets zh_CN
set -u

wine_dlls=
for dir in /usr/lib/i386-linux-gnu/wine/i386-windows /usr/lib/wine/i386-windows; do
  [ -d "$dir" ] && { wine_dlls=$dir; break; }
done

check() {
  local objdump=$1 program=$2 headers dll lower bad=0
  if ! headers=$("$objdump" -p "$program" 2>&1); then
    echo "FAIL $program: $objdump cannot read it: $headers"
    return 1
  fi
  if ! grep -q 'file format pei-i386' <<<"$headers" ||
     ! grep -Eq '^Magic[[:space:]]+010b[[:space:]]+\(PE32\)' <<<"$headers"; then
    echo "FAIL $program: not a PE32 executable for i386"
    return 1
  fi
  while read -r dll; do
    lower=${dll,,}
    case $lower in
      lib*.dll|*pthread*.dll|*mingw*.dll)
        echo "FAIL $program imports the MinGW runtime DLL $dll"; bad=1; continue ;;
      winhttp.dll)
        echo "FAIL $program imports $dll; it must load it by name when it runs"; bad=1; continue ;;
      api-ms-win-*|ext-ms-win-*)
        continue ;;
    esac
    if [ -n "$wine_dlls" ] && ! [ -e "$wine_dlls/$lower" ]; then
      echo "FAIL $program imports $dll, which is no Windows system DLL"
      bad=1
    fi
  done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
  [ "$bad" -eq 0 ] || return 1
  echo "ok   $program: PE32 i386, imports $(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" |
    sort -fu | tr '\n' ' ')"
}

if [ "${1:-}" = "--self-test" ]; then
  objdump=$2 cxx=$3
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  printf '#include <string>\n#include <thread>\nint main(int c, char**) {\n  std::string s(c, 1);\n  std::thread t([&] { s += "x"; });\n  t.join();\n  return int(s.size());\n}\n' >"$work/sample.cpp"
  "$cxx" -O1 "$work/sample.cpp" -o "$work/shared.exe" || exit 1
  "$cxx" -O1 -static -static-libgcc -static-libstdc++ "$work/sample.cpp" -o "$work/static.exe" ||
    exit 1
  status=0
  check "$objdump" "$work/static.exe" || { echo "FAIL: the static program was rejected"; status=1; }
  if check "$objdump" "$work/shared.exe"; then
    echo "FAIL: the program that needs the MinGW runtime DLLs was accepted"
    status=1
  fi
  # A file that is no PE32 program at all.
  "$cxx" -O1 -c "$work/sample.cpp" -o "$work/sample.o" || exit 1
  if check "$objdump" "$work/sample.o"; then
    echo "FAIL: an object file was accepted"
    status=1
  fi
  exit $status
fi

[ $# -ge 2 ] || { echo "usage: check_pe.sh OBJDUMP PROGRAM.exe ..." >&2; exit 2; }
objdump=$1
shift
status=0
for program in "$@"; do check "$objdump" "$program" || status=1; done
exit $status
