#!/usr/bin/env bash
# The real kerrow.exe on a desktop of two monitors, as Wine shows them without
# its virtual desktop: one X screen split into two RandR monitors, read
# through Xinerama. The left one (0,0)-(1024,768) is the primary, the right
# one (1024,0)-(1824,600) is smaller. In an X server and a Wine prefix of its
# own; a Notepad stays shown, so that the X focus has a Wine window to go
# back to. The popup starts at the primary's bottom-right corner, can be
# dragged onto the right monitor and is shown there again, stops at the
# corners of the monitor it is on, and comes back onto the left monitor when
# the right one is taken away. The scale changes between monitors are the
# TwoMonitors rows of the Win32 tests, run here.
# Usage: monitors.sh KERROW.EXE RECORDER.EXE WIN32_TESTS.EXE
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib/kerrow-x.sh"
dir=$(mktemp -d /tmp/kerrow-monitors.XXXXXX)
trap 'kill $(jobs -p) 2>/dev/null; wine_prefix_scratch_end; wine_xvfb_stop; wait; rm -rf "$dir"' EXIT
wine_xvfb_start 1824x768x24 -noreset || fail "no X server"
export KERROW_X_NO_DESKTOP=1
xrandr --setmonitor '*LEFT' 1024/270x768/203+0+0 screen
xrandr --setmonitor RIGHT 800/211x600/158+1024+0 none
wine_prefix_scratch || fail "no Wine prefix"
# No virtual desktop; Wine places its windows and the X focus itself.
{ wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f &&
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /d N /f &&
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f; } </dev/null >/dev/null 2>&1 ||
  fail "could not set the prefix up"
wineserver -k || true
wineserver -w

wine "$3" --gtest_filter='*TwoMonitors*' </dev/null >"$dir/tests.log" 2>&1 || fail "$(tr -d '\r' <"$dir/tests.log")"
cp "$1" "$2" "$dir/"
printf 'bye\t#exit\n' >"$dir/link.dat"
wine_start "$dir" /dev/null notepad.exe
wait_for wine_x_focus_is "Untitled - Notepad"
wine_start "$dir" /dev/null kerrow.exe
kerrow_first_show "$WINE_STARTED"
wine_geometry "$(kerrow_popup)"
[ $((X + WIDTH)),$((Y + HEIGHT)) = 1024,768 ] || fail "first shown at $X,$Y, ${WIDTH}x$HEIGHT"
width=$WIDTH height=$HEIGHT
kerrow_drag 1100 100
xdotool mousemove 300 300 click 1 # into Notepad, which hides the popup
wait_for kerrow_hidden
wait_for wine_x_focus_is "Untitled - Notepad"
kerrow_show
wait_for kerrow_at 1100 100
kerrow_drag 1900 700 $((1824 - width)) $((600 - height))
kerrow_drag -50 -50 0 0
kerrow_drag 1100 100
xrandr --delmonitor RIGHT
wine "$dir/recorder.exe" --redisplay </dev/null >/dev/null 2>&1 || fail "the monitors were not read again"
wait_for kerrow_at $((1024 - width)) 100
echo "two monitors: first at the primary's corner, shown on the right one, kept on each, back on the left one"
