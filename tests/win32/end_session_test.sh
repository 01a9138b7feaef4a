#!/usr/bin/env bash
# The end of the Windows session, in a Wine prefix made here and removed
# after: a sign-out or shutdown (wineboot --end-session sends the popup
# WM_QUERYENDSESSION and WM_ENDSESSION, then ends every program), #shutdown
# and #reboot typed into the popup (which end every program of the prefix
# while this script, on the host, goes on). Each time the popup was first
# dragged somewhere: its place must be in Kerrow.ini afterwards, saved as
# hidden, so that the next start (the next round) does not show it. Wine
# restarts a prefix by starting it up again, which runs its RunOnce entries
# (as does the next start of a prefix that was shut down): the recorder, put
# there, tells a restart from a shutdown.
# Usage: end_session_test.sh KERROW.EXE RECORDER.EXE
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib/kerrow-x.sh" || exit 1
wine_session_ensure || exit 1
trap 'kill $(jobs -p) 2>/dev/null; wine_session_end_own' EXIT
wine_prefix_scratch || fail "no Wine prefix"
prefix=$KERROW_SCRATCH_PREFIX
[ "$WINEPREFIX" = "$prefix" ] || fail "not in this test's own prefix"
cp "$1" "$prefix/"
printf 'sd\t#shutdown\nrb\t#reboot\n' >"$prefix/link.dat"
export KERROW_RECORDER_LOG=Z:${prefix//\//\\}\\restarts.log
desktop_gone() { [ -z "$(wine_desktop)" ]; }

left=200
for way in end-session '#shutdown' '#reboot'; do
  wine_start "$prefix" /dev/null kerrow.exe
  kerrow=$WINE_STARTED
  kerrow_first_show $kerrow
  # A Wine program starts once the prefix's start-up (which ran any RunOnce
  # entry left from the round before) has ended.
  wine reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce' /v kerrow /d "$(winepath -w "$2")" \
    /reg:64 /f </dev/null >/dev/null 2>&1 || fail "no RunOnce entry"
  rm -f "$prefix/restarts.log"
  left=$((left + 100))
  kerrow_drag $left 150
  if [ "$way" = end-session ]; then
    xdotool key Escape
    wait_for kerrow_hidden
    wineboot --end-session --shutdown </dev/null >/dev/null 2>&1 || fail "wineboot --end-session failed"
  else
    kerrow_type "$([ "$way" = '#shutdown' ] && echo sd || echo rb)" kerrow_icon_painted
    xdotool key Return
  fi
  wine_session_wait 60 wine_process_ended $kerrow || fail "$way left Kerrow running"
  wait $kerrow
  wineserver -w # the prefix's start-up, for a restart, has ended
  restarted=$([ -s "$prefix/restarts.log" ] && echo yes || echo no)
  [ "$restarted" = "$([ "$way" = '#reboot' ] && echo yes || echo no)" ] || fail "$way: restarted: $restarted"
  saved=$(kerrow_saved_place "$prefix/Kerrow.ini") || fail "$way: no place saved"
  [ "$saved" = "$left,150 0" ] || fail "$way: saved $saved, not $left,150 hidden"
  wait_for desktop_gone # the desktop closes itself a moment after the session ends
  echo "$way ended Kerrow (restarted: $restarted), its place saved hidden; the host goes on"
done
