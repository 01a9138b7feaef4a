#!/usr/bin/env bash
# #shutdown and #reboot end every program of the Windows session they run in,
# so they run only in a Wine prefix made here and removed after, beside a
# Kerrow of that prefix, which they must end while this script, on the host,
# goes on. Wine restarts a prefix by starting it up again, which runs its
# RunOnce entries (as does the next start of a prefix that was shut down):
# the recorder, put there, tells a restart from a shutdown.
# Usage: end_session_test.sh KERROW.EXE RECORDER.EXE
set -uo pipefail
source "$(dirname "$0")/../../scripts/wine-session.sh" || exit 1
wine_session_ensure || exit 1
trap wine_session_end_own EXIT
fail() { echo "FAIL: $*"; exit 1; }
wine_prefix_scratch || fail "no Wine prefix"
prefix=$KERROW_SCRATCH_PREFIX
[ "$WINEPREFIX" = "$prefix" ] || fail "not in this test's own prefix"
start_kerrow() { (cd "$prefix" && exec wine "$1" </dev/null >/dev/null 2>&1) & }
run() { wine "$2" --run "$1" </dev/null >/dev/null 2>&1; }
export KERROW_RECORDER_LOG=Z:${prefix//\//\\}\\restarts.log

for value in '#shutdown' '#reboot'; do
  start_kerrow "$1"
  # A Wine program starts once the prefix's start-up (which ran any RunOnce
  # entry left from the round before) has ended.
  wine reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce' /v kerrow /d "$(winepath -w "$2")" \
    /reg:64 /f </dev/null >/dev/null 2>&1 || fail "no RunOnce entry"
  rm -f "$prefix/restarts.log"
  run "$value" "$2"
  wine_session_wait 60 wine_process_ended $! || fail "$value left Kerrow running"
  wait $!
  wineserver -w # the prefix's start-up, for a restart, has ended
  restarted=$([ -s "$prefix/restarts.log" ] && echo yes || echo no)
  [ "$restarted" = "$([ "$value" = '#reboot' ] && echo yes || echo no)" ] || fail "$value: restarted: $restarted"
  echo "$value ended Kerrow (restarted: $restarted); the host goes on"
done
