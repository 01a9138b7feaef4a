#!/usr/bin/env bash
# kerrow-check.exe itself on a link file of every kind of target: only the
# missing absolute path is a finding (exit code 1, one line naming its line
# and path), and the table is byte for byte what the native build prints.
# Usage: kerrow_check_test.sh KERROW_CHECK_EXE LINK_FILE NATIVE_TABLE
set -uo pipefail
dir=$(mktemp -d /tmp/kerrow-check.XXXXXX)
trap 'rm -rf "$dir"' EXIT
cp "$2" "$dir/link.dat"
status=0
# Through files: Wine's background processes would hold a pipe open.
(cd "$dir" && wine "$1" link.dat </dev/null >"$dir/out" 2>"$dir/err") || status=$?
missing='C:\no such folder\gone.exe'
finding="link.dat:$(grep -nF "$missing" "$2" | cut -d: -f1): .*\"${missing//\\/\\\\}\""
[ "$status" -eq 1 ] || { echo "FAIL: exit code $status"; exit 1; }
cmp "$dir/out" "$3" || { echo "FAIL: the table differs"; od -c "$dir/out" | head; exit 1; }
[ "$(wc -l <"$dir/err")" -eq 1 ] && grep -q "^$finding" "$dir/err" || { echo "FAIL: findings:"; cat "$dir/err"; exit 1; }
