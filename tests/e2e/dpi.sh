#!/usr/bin/env bash
# The real kerrow.exe at 150 % and 200 % display scale (144 and 192 DPI), set
# as Windows' display settings set it, before Kerrow starts: Wine reads
# LogPixels when its server starts. The popup's client area is its 72x16
# design scaled, the icon fills the scaled square (pixels right of the first
# 16 columns), and typing and Enter work as at 96 DPI. In a Wine prefix of
# its own, so that the session keeps 96 DPI; each start of its server ends
# the Kerrow before.
# Usage: dpi.sh KERROW.EXE RECORDER.EXE
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib/kerrow-x.sh"
wine_session_ensure
dir=$(mktemp -d /tmp/kerrow-dpi.XXXXXX)
trap 'wine_session_end_own; rm -rf "$dir"' EXIT
wine_prefix_scratch || fail "no Wine prefix"
cp "$1" "$2" "$dir/"
export KERROW_RECORDER_LOG=$(wine_path "$dir/recorder.log")
printf 'rec\t%s\n' "$(wine_path "$dir/recorder.exe")" >"$dir/link.dat"

for dpi in 144 192; do
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f </dev/null >/dev/null 2>&1
  wineserver -k || true
  wineserver -w
  wine_start "$dir" /dev/null kerrow.exe
  kerrow_first_show "$WINE_STARTED"
  square=$((16 * dpi / 96))
  wine_geometry "$(kerrow_popup)" && [ $((WIDTH - 2))x$((HEIGHT - 2)) = $((72 * dpi / 96))x$square ] ||
    fail "$dpi DPI: ${WIDTH}x$HEIGHT"
  kerrow_type rec kerrow_icon_painted $((square - 16))x$square 16 0
  xdotool key Return
  wait_for recorder_ran "$dir/recorder.log" $((dpi / 96)) # its first launch at 144 DPI, second at 192
  echo "$dpi DPI: popup ${WIDTH}x$HEIGHT, icon ${square}x$square, launched"
done
