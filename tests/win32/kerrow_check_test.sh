#!/usr/bin/env bash
# kerrow-check.exe itself, under Wine, on a link file of every kind of
# target: only the missing absolute path is a finding (exit code 1, one line
# naming its line and path), and the table on stdout is byte for byte what
# the native kerrow-check prints for the same file.
# Usage: kerrow_check_test.sh KERROW_CHECK_EXE LINK_FILE NATIVE_TABLE
set -uo pipefail

dir=$(mktemp -d /tmp/kerrow-check.XXXXXX)
trap 'rm -rf "$dir"' EXIT
cp "$2" "$dir/link.dat"
status=0
# Through files: Wine's background processes would hold a pipe open.
(cd "$dir" && wine "$1" link.dat </dev/null >"$dir/out" 2>"$dir/err") || status=$?
missing='C:\no such folder\gone.exe'
line=$(grep -nF "$missing" "$2" | cut -d: -f1)

failed=0
[ "$status" -eq 1 ] || { echo "FAIL: exit code $status"; failed=1; }
cmp "$dir/out" "$3" || { echo "FAIL: the table differs:"; od -c "$dir/out" | head; failed=1; }
if [ "$(wc -l <"$dir/err")" -ne 1 ] || ! grep -qF "link.dat:$line: " "$dir/err" ||
  ! grep -qF "\"$missing\"" "$dir/err"; then
  echo "FAIL: findings:"
  cat "$dir/err"
  failed=1
fi
exit $failed
