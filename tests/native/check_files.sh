#!/usr/bin/env bash
# kerrow-check on the link files in tests/data: the table on stdout byte for
# byte (NAME.table), each finding on its line and naming what NAME.findings
# says ("LINE [TEXT]"), the exit code; then its exit codes for its arguments.
# The Windows build also looks for the targets (on the server kerrowhost of
# the Wine session) and asks the system about keys: NAME.findings-windows,
# where there is one, is what it must find instead. Last, it finds Alt+Space
# held by the recorder.
# Usage: check_files.sh native KERROW-CHECK | windows KERROW-CHECK.EXE RECORDER.EXE
set -uo pipefail
export LC_ALL=C # findings are matched byte for byte
kind=$1 checker=$(realpath "$2")
data=$(cd "$(dirname "$0")/../data" && pwd)
work=$(mktemp -d /tmp/kerrow-check.XXXXXX)
holder=""
end() {
  [ -z "$holder" ] || { kill "$holder" && wait "$holder"; }
  rm -rf "$work"
  [ "$kind" = native ] || wine_session_end_own
}
trap end EXIT
[ "$kind" = native ] || { source "$(dirname "$0")/../../scripts/lib/wine-session.sh" && wine_session_ensure; } || exit 1
status=0 KERROW_FAIL_GOES_ON=1
source "$(dirname "$0")/../../scripts/lib/fail.sh"
launcher=$([ "$kind" = native ] || echo wine)
run() { (cd "$data" && $launcher "$checker" "$@" </dev/null >"$work/out" 2>"$work/err"); }

for file in "$data"/*.dat; do
  name=$(basename "$file" .dat)
  expected=$data/$name.findings
  [ "$kind" = windows ] && [ -e "$expected-windows" ] && expected=$expected-windows
  run "$name.dat"; code=$?
  [ "$code" -eq "$([ -s "$expected" ] && echo 1 || echo 0)" ] || fail "$name: exit code $code"
  diff -a -u --label "$name.table" --label got "$data/$name.table" "$work/out" ||
    fail "$name: the table differs as above"
  tr -d '\r' <"$work/err" >"$work/findings"
  [ "$(wc -l <"$work/findings")" -eq "$(wc -l <"$expected")" ] || fail "$name: $(cat "$work/findings")"
  paste -d '\n' "$expected" "$work/findings" | while read -r line text && IFS= read -r finding; do
    [[ $finding == "$name.dat:$line: "*"$text"* ]] || echo "FAIL: $name: '$finding' is not '$line $text'"
  done | grep -a . && status=1
done
for arguments in "--help:0" "-x reader.dat:2" "reader.dat utf16.dat:2" "missing.dat:2" "-- utf16.dat:1" ":2"; do
  run ${arguments%:*}
  [ $? -eq "${arguments##*:}" ] || fail "kerrow-check ${arguments%:*}: not exit code ${arguments##*:}"
done
[ "$kind" = native ] && exit $status

# Alt+Space held by a program that is not Kerrow: a finding, also with no
# link.dat; none when Kerrow.ini sets a hot key that is free, and a finding on
# its line for a value Kerrow cannot read, which leaves Alt+Space.
export KERROW_RECORDER_LOG=Z:${work//\//\\}\\held
wine_start "$work" /dev/null "$3" --hold
holder=$WINE_STARTED
wine_session_wait 20 test -s "$work/held" || fail "the recorder does not hold Alt+Space"
for row in "2 1 -" "1 1 -" "0 0 Ctrl+Alt+K" "1 2 Ctrl+Alt+"; do
  read -r expected held hotKey <<<"$row"
  [ "$hotKey" = - ] || printf '[Window]\r\nx=1\r\n[settings]\r\n HotKey = %s\r\n' "$hotKey" >"$work/Kerrow.ini"
  (cd "$work" && wine "$checker" </dev/null >"$work/out" 2>"$work/err"); code=$?
  [ $code -eq "$expected" ] && [ "$(grep -c Alt+Space "$work/err")" = "$held" ] ||
    fail "with Alt+Space held and HotKey=$hotKey: exit code $code, $(cat "$work/err")"
  [ "$hotKey" != Ctrl+Alt+ ] || grep -q "^Kerrow.ini:4: HotKey=Ctrl+Alt+ " "$work/err" ||
    fail "no finding on Kerrow.ini's line 4: $(cat "$work/err")"
  printf 'n\tnotepad.exe\n' >"$work/link.dat"
done
exit $status
