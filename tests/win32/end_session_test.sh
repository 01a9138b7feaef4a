#!/usr/bin/env bash
# #shutdown and #reboot end every program of the Windows session they run in,
# so they run only in a Wine prefix made here and removed after, beside a
# sentinel program of that prefix, which they must end while this script, on
# the host, goes on. "#shutdown " (a space: no built-in name) must not.
# Usage: end_session_test.sh RECORDER.EXE
set -uo pipefail
source "$(dirname "$0")/../../scripts/wine-session.sh" || exit 1
prefix=$(mktemp -d /tmp/kerrow-end-session.XXXXXX)
trap 'WINEPREFIX=$prefix wineserver -k; WINEPREFIX=$prefix wineserver -w; rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
wine_prefix_make "$prefix" || fail "no Wine prefix"
[ "$WINEPREFIX" = "$prefix" ] || fail "not in this test's own prefix"

# start_sentinel: a program of the prefix, running once it has written C:\ready.
start_sentinel() {
  rm -f "$prefix/drive_c/ready"
  KERROW_RECORDER_LOG='C:\ready' wine "$1" --wait </dev/null >/dev/null 2>&1 &
  sentinel=$!
  wine_session_wait 60 test -e "$prefix/drive_c/ready" || fail "the sentinel did not start"
}
run() { wine "$1" --run "$2" </dev/null >/dev/null 2>&1; }

start_sentinel "$1"
run "$1" '#shutdown '
! wine_process_ended $sentinel || fail "'#shutdown ' ended the sentinel"
for value in '#shutdown' '#reboot'; do
  [ "$value" = '#shutdown' ] || start_sentinel "$1"
  run "$1" "$value"
  wine_session_wait 60 wine_process_ended $sentinel || fail "$value left the sentinel running"
  wait $sentinel
  echo "$value ended the sentinel; the host goes on"
done
