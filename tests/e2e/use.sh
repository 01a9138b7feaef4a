#!/usr/bin/env bash
# A person's use of the real kerrow.exe in the Wine desktop, through real X
# input: Alt+Space, typing (with Alt still held, too) and the icon it shows,
# Enter, a command with a %VARIABLE%, Escape, a variable the user sets while
# Kerrow runs, clicking another program, a link.dat saved while hidden,
# dragging, #exit and the place it saves, a hot key set in Kerrow.ini, a
# second copy, and kerrow-check beside it. Kerrow is started from a folder
# without link.dat, as from the Run key: it reads and writes its files beside
# kerrow.exe. Uses the session of scripts/lib/wine-session.sh (its own where none
# runs) and the X helpers of scripts/lib/kerrow-x.sh.
# Usage: use.sh KERROW.EXE RECORDER.EXE KERROW-CHECK.EXE
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib/kerrow-x.sh"
dir=$(mktemp -d /tmp/kerrow-e2e.XXXXXX)
# Kerrow's own folder is named outside the ANSI code page, where its change
# watch must start all the same.
home=$dir/Κέρας
fresh='HKCU\Environment'
trap 'kill $(jobs -p) 2>/dev/null; wait; wine reg delete "$fresh" /v KERROW_FRESH /f >/dev/null 2>&1
  rm -rf "$dir"; wine_session_end_own' EXIT
wine_session_ensure
mkdir "$dir/bin" "$home" && cp "$1" "$3" "$home/" && cp "$2" "$dir/bin/"
export KERROW_RECORDER_LOG=$(wine_path "$dir/recorder.log") KERROW_BIN=$(wine_path "$dir/bin")
recorder=$(wine_path "$dir/bin/recorder.exe")
start() { wine_start "$dir" "$dir/wine.log" "$home/kerrow.exe"; }
# launched N ARGS: the Nth start of the recorder was in its folder, shown
# normally (SW_SHOWNORMAL), with ARGS.
launched() {
  wait_for recorder_ran "$dir/recorder.log" "$1"
  [ "$(sed -n "$1p" "$dir/recorder.log")" = "$(wine_path "$dir/bin")|1|\"$recorder\"$2" ] ||
    fail "recorder: $(cat "$dir/recorder.log")"
}
# The Wine session's own recycle bin, with one file in it.
trash=$XDG_DATA_HOME/Trash
trash_empty() { [ -z "$(find "$trash" -type f)" ]; }
printf '[Trash Info]\nPath=/tmp/old.txt\nDeletionDate=2026-12-01T10:00:00\n' >"$trash/info/old.txt.trashinfo"
echo old >"$trash/files/old.txt"

printf '%s\n' "rec	$recorder	--alpha \"two words\" " "bye	#exit" "env	%KERROW_BIN%\recorder.exe	%KERROW_BIN%" >"$home/link.dat"
start && kerrow=$WINE_STARTED
kerrow_first_show $kerrow
kerrow_type re kerrow_grey
kerrow_type c kerrow_icon_painted
kerrow_type xy kerrow_grey
xdotool key BackSpace
wait_for kerrow_icon_painted
written=$(kerrow_icon_pixels)
xdotool key Return
launched 1 ' --alpha "two words" '
wait_for kerrow_grey
kerrow_type env kerrow_icon_painted
[ "$(kerrow_icon_pixels)" = "$written" ] || fail "the icon of %KERROW_BIN%\recorder.exe is not that of $recorder"
xdotool key Return
launched 2 ' %KERROW_BIN%'
wait_for kerrow_grey
kerrow_type x kerrow_grey # hidden with a text in the box, which the next show must not find
xdotool key Escape
wait_for kerrow_hidden
# Saved as many editors do: written elsewhere, then renamed into place.
printf '%s\n' "new	$recorder	new" "bye	#exit" "emp	#empty" >"$dir/link.new"
mv "$dir/link.new" "$home/link.dat"
# A fast typist types the key before letting go of Alt.
xdotool keydown alt key space && wait_for kerrow_focused
kerrow_type new kerrow_icon_painted
xdotool keyup alt key Return
launched 3 ' new'
! trash_empty || fail "no file in the recycle bin"
kerrow_type emp kerrow_icon_painted
xdotool key Return
wait_for trash_empty
# A variable the user sets while Kerrow runs, and the system's word that the
# environment changed: the next program Kerrow starts has it.
wine reg add "$fresh" /v KERROW_FRESH /d fresh /f >/dev/null 2>&1
wine "$2" --broadcast || fail "the broadcast failed"
kerrow_type new kerrow_icon_painted
xdotool key Return
launched 4 ' new|fresh'

wine_start "$dir" "$dir/wine.log" notepad.exe
wait_for wine_x_focus_is "Untitled - Notepad"
kerrow_show
wine_geometry "$(xdotool search --onlyvisible --name Notepad | head -n 1)"
xdotool mousemove $((X + 60)) $((Y + 60)) click 1
wait_for kerrow_hidden
kerrow_show
kerrow_drag 300 200
kerrow_type bye kerrow_icon_painted
xdotool key Return
kerrow_ended_with $kerrow 0
[ -s "$home/Kerrow.ini" ] && [ ! -e "$dir/Kerrow.ini" ] || fail "Kerrow.ini is not beside kerrow.exe"
printf '[Settings]\r\nHotKey=Ctrl+Alt+K\r\n' >>"$home/Kerrow.ini"
start && kerrow=$WINE_STARTED
wait_for kerrow_at 300 200
start
kerrow_ended_with "$WINE_STARTED" 1
# Alt+Space is free for other programs: the recorder can hold it.
KERROW_RECORDER_LOG=$(wine_path "$dir/held.log") wine_start "$dir" /dev/null "$2" --hold
holder=$WINE_STARTED
wait_for recorder_ran "$dir/held.log" 1
kill $holder && wait $holder || true
(cd "$dir" && wine "$home/kerrow-check.exe" </dev/null >/dev/null 2>"$dir/check.err") &&
  grep -q 'Kerrow is running' "$dir/check.err" && grep -q 'note: checked Z:.*\\link.dat' "$dir/check.err" ||
  fail "kerrow-check beside Kerrow: $(cat "$dir/check.err")"
kerrow_show ctrl+alt+k
xdotool key Escape
wait_for kerrow_hidden
kerrow_show ctrl+alt+k
kerrow_type bye kerrow_icon_painted
xdotool key Return
kerrow_ended_with $kerrow 0
grep -q '^HotKey=Ctrl+Alt+K' "$home/Kerrow.ini" || fail "#exit took the hot key out of Kerrow.ini: $(cat "$home/Kerrow.ini")"
