#!/usr/bin/env bash
# The programs' files as Windows reads them. They must run on a bare Windows:
# their import tables may name only Windows' own DLLs, never a MinGW runtime
# (libstdc++, libgcc, winpthread), and no Crypt* function (why:
# src/stack_guard.cpp). Their headers carry no time stamp, so two builds of
# one commit are the same, and ask for every protection Windows offers a PE
# file: address-space layout randomisation (dynamic base, relocations kept),
# DEP (NX compatible), high-entropy addresses on x86_64, terminal-server
# aware, and no section both writable and executable. Their sections start at
# page boundaries in the file (why: cmake/mingw-common.cmake). Their
# resources hold a version naming Kerrow and a well-formed manifest, and
# kerrow.exe its icon at 16, 32 and 48 pixels.
# Usage: files_test.sh OBJDUMP EXE...
set -uo pipefail
objdump=$1
shift
status=0 KERROW_FAIL_GOES_ON=1
source "$(dirname "$0")/../../scripts/lib/fail.sh"
for exe in "$@"; do
  headers=$("$objdump" -p "$exe")
  flags=$(sed -n '/^DllCharacteristics/,/^SizeOf/p' <<<"$headers")
  dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
  echo "$(basename "$exe"): $(tr '\n' ' ' <<<"$dlls")$(sed '1d;$d' <<<"$flags" | tr -s ' \t\n' ' ')"
  required="DYNAMIC_BASE NX_COMPAT TERMINAL_SERVICE_AWARE"
  grep -q 'file format pei-x86-64' <<<"$headers" && required+=" HIGH_ENTROPY_VA"
  for flag in $required; do grep -qw "$flag" <<<"$flags" || fail "$exe lacks $flag"; done
  grep -q '^Time/Date[[:space:]]*Thu Jan  1 00:00:00 1970$' <<<"$headers" || fail "$exe carries a time stamp"
  [ "$(sed -n 's/^FileAlignment[[:space:]]*//p' <<<"$headers")" = "$(sed -n 's/^SectionAlignment[[:space:]]*//p' <<<"$headers")" ] ||
    fail "$exe: its sections are not page-aligned in the file"
  grep -Eq '^Entry 5 [0-9a-f]+ 0*[1-9a-f][0-9a-f]* Base Relocation' <<<"$headers" || fail "$exe has no relocations"
  # objdump -h says CODE for an executable section and READONLY when it is not writable.
  "$objdump" -h "$exe" | awk '/^ *[0-9]+ /{s=$2} /CODE/ && !/READONLY/{print "FAIL: writable code: " s; n++} END{exit n}' || status=1
  [ -n "$dlls" ] || fail "$exe: no import table read"
  bad=$(grep -Eiv '^(kernel32|user32|gdi32|shell32|advapi32|imm32|ole32|msvcrt|api-ms-win-[a-z0-9-]+)\.dll$' <<<"$dlls") &&
    fail "$exe imports $bad"
  ! grep -Eq '\sCrypt\w+$' <<<"$headers" || fail "$exe imports $(grep -Eo 'Crypt\w+$' <<<"$headers" | tr '\n' ' ')"
  wrestool -x --raw -t16 "$exe" | strings -el | grep -qx Kerrow || fail "$exe: no version naming Kerrow"
  wrestool -x --raw -t24 "$exe" | xmllint --noout - || fail "$exe: no well-formed manifest"
  [[ $exe != */kerrow.exe ]] || [ "$(wrestool -x -t14 "$exe" | icotool -l - | grep -o ' --width=[0-9]*' |
    tr -d '\n')" = " --width=16 --width=32 --width=48" ] || fail "$exe: no icon of 16, 32 and 48 pixels"
done
exit $status
