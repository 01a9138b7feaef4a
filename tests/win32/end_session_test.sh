#!/usr/bin/env bash
# #shutdown and #reboot end every program of the Windows session they run in,
# so they run only in a Wine prefix made here and removed after, beside a
# Kerrow of that prefix, which they must end while this script, on the host,
# goes on. "#shutdown " (a space: no built-in name) must not.
# Usage: end_session_test.sh KERROW.EXE RECORDER.EXE
set -uo pipefail
source "$(dirname "$0")/../../scripts/wine-session.sh" || exit 1
wine_session_ensure || exit 1
prefix=$(mktemp -d /tmp/kerrow-end-session.XXXXXX)
trap 'WINEPREFIX=$prefix wineserver -k; WINEPREFIX=$prefix wineserver -w; rm -rf "$prefix"; wine_session_end_own' EXIT
fail() { echo "FAIL: $*"; exit 1; }
wine_prefix_make "$prefix" || fail "no Wine prefix"
[ "$WINEPREFIX" = "$prefix" ] || fail "not in this test's own prefix"
start_kerrow() { (cd "$prefix" && exec wine "$1" </dev/null >/dev/null 2>&1) & }
run() { wine "$2" --run "$1" </dev/null >/dev/null 2>&1; }

start_kerrow "$1"
run '#shutdown ' "$2"
! wine_process_ended $! || fail "'#shutdown ' ended Kerrow"
for value in '#shutdown' '#reboot'; do
  [ "$value" = '#shutdown' ] || start_kerrow "$1"
  run "$value" "$2"
  wine_session_wait 60 wine_process_ended $! || fail "$value left Kerrow running"
  wait $!
  echo "$value ended Kerrow; the host goes on"
done
