#!/usr/bin/env bash
# The programs must run on a bare Windows: their import tables may name only
# Windows' own DLLs, never a MinGW runtime (libstdc++, libgcc, winpthread).
# Their headers carry no time stamp, so two builds of one commit are the same.
# Usage: imports_test.sh OBJDUMP EXE...
set -uo pipefail

objdump=$1
shift
allowed='^(kernel32|user32|gdi32|shell32|advapi32|imm32|msvcrt|api-ms-win-[a-z0-9-]+)\.dll$'
status=0
for exe in "$@"; do
  headers=$("$objdump" -p "$exe")
  dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
  stamp=$(sed -n 's/^Time\/Date[[:space:]]*//p' <<<"$headers")
  if [ "$stamp" != "Thu Jan  1 00:00:00 1970" ]; then
    echo "FAIL: $exe carries a time stamp: $stamp"
    status=1
  fi
  if [ -z "$dlls" ]; then
    echo "FAIL: $exe: no import table read"
    status=1
    continue
  fi
  while read -r dll; do
    if ! grep -Eiq "$allowed" <<<"$dll"; then
      echo "FAIL: $exe imports $dll"
      status=1
    fi
  done <<<"$dlls"
  echo "$(basename "$exe"): $(tr '\n' ' ' <<<"$dlls")"
done
exit $status
