# Sourced, not run. Kerrow looked at and driven from outside, as a person
# would through X and as Linux sees a Wine process: for the demo
# (scripts/run.sh), the end-to-end walk (tests/e2e/use.sh), the robustness
# runs (scripts/robustness.sh) and the floor comparison (bench/). Needs a Wine
# session (scripts/lib/wine-session.sh, sourced here). Nothing here sleeps to
# wait: every wait polls its condition until a deadline.
#   fail MESSAGE         scripts/lib/fail.sh's, which here also keeps a
#                        picture of the screen (fail_also)
#   wait_for COMMAND...  polls COMMAND for KERROW_X_DEADLINE seconds (20),
#                        then fails naming it
#   kerrow_popup, kerrow_hidden, kerrow_focused, kerrow_icon_painted,
#   kerrow_grey          the popup as the screen shows it
#   kerrow_show [KEYS]   Alt+Space (or the hot key KEYS, as xdotool names
#                        them), and the popup has the keys
#   kerrow_first_show PID  the same just after Kerrow (process PID) started
#   kerrow_type KEYS CONDITION...  types into the box, waits for CONDITION
#   kerrow_drag X Y, kerrow_at X Y  moves the popup, and where it is
#   kerrow_ended_with PID CODE, kerrow_icon_pixels
#   kerrow_saved_place FILE  the place a Kerrow.ini holds
#   wine_desktop, wine_desktop_focused, wine_keep_desktop, wine_geometry,
#   wine_x_focus_is      Wine's windows
#   recorder_ran LOG N   the recorder that stands in for launched programs
#                        (tests/helpers) has written N lines to LOG
#   wine_pids, wine_private_kib, wine_path  Wine's processes and paths
source "$(dirname "${BASH_SOURCE[0]}")/wine-session.sh" || return 1
source "$(dirname "${BASH_SOURCE[0]}")/fail.sh"

KERROW_TITLE="Kerrow by Pellam"
KERROW_X_DEADLINE=${KERROW_X_DEADLINE:-20}
# The desktop as the session sets it up; Kerrow's first place is its
# bottom-right corner.
KERROW_DESKTOP_WIDTH=${KERROW_DESKTOP_SIZE%x*}
KERROW_DESKTOP_HEIGHT=${KERROW_DESKTOP_SIZE#*x}

fail_also() {
  import -window root /tmp/kerrow-x-failure.png 2>/dev/null || true
  echo "the screen: /tmp/kerrow-x-failure.png" >&2
}

wait_for() {
  wine_session_wait "$KERROW_X_DEADLINE" "$@" || fail "not within $KERROW_X_DEADLINE s: $*"
}

# The X window of Kerrow's popup while it is shown, else nothing: Wine maps
# no X window for a hidden one, and the X window carries the Windows title.
kerrow_popup() { xdotool search --onlyvisible --name "^$KERROW_TITLE\$" | head -n 1; }
kerrow_hidden() { [ -z "$(kerrow_popup)" ]; }

# wine_geometry WINDOW: sets X, Y, WIDTH and HEIGHT of an X window on the
# screen (xdotool's own doubles the position of a window inside Wine's
# desktop window). False for no window.
wine_geometry() {
  [ -n "$1" ] && eval "$(xwininfo -id "$1" | awk '/Absolute upper-left X/ { print "X=" $4 }
    /Absolute upper-left Y/ { print "Y=" $4 } /Width:/ { print "WIDTH=" $2 } /Height:/ { print "HEIGHT=" $2 }')"
}

# kerrow_icon_painted [SIZE LEFT TOP]: some pixel of the popup's client area
# (inside its one-pixel border), in the WIDTHxHEIGHT rectangle at LEFT,TOP
# (the 16x16 icon square by default), is not the popup's light grey.
# kerrow_grey: none of the icon square is (or no popup is shown).
kerrow_icon_painted() {
  wine_geometry "$(kerrow_popup)" &&
    import -window root -crop "${1:-16x16}+$((X + 1 + ${2:-0}))+$((Y + 1 + ${3:-0}))" txt:- |
    awk 'NR > 1 && $3 !~ /^#(C0)+$/ { n++ } END { exit !n }'
}
kerrow_grey() { ! kerrow_icon_painted; }

# wine_x_focus_is TITLE: whether the X input focus is on the X window of the
# Windows window TITLE. Wine moves it there a little after it activates the
# window; keys sent before that can be lost.
wine_x_focus_is() {
  local focus
  focus=$(xdotool getwindowfocus -f 2>/dev/null) &&
    [ "$(xdotool getwindowname "$focus" 2>/dev/null)" = "$1" ]
}
kerrow_focused() { wine_x_focus_is "$KERROW_TITLE"; }

# The desktop window of the session's prefix. After the popup hides, Wine
# gives it the X focus back a moment later; a hot key pressed before that
# reaches no Wine window.
wine_desktop() { xdotool search --name 'Wine desktop' | head -n 1; }
wine_desktop_focused() { [ "$(xdotool getwindowfocus -f 2>/dev/null)" = "$(wine_desktop)" ]; }

# wine_keep_desktop PROBE DIR: one desktop for a run of program starts: the
# probe (bench/probe.cpp keep), started in DIR, holds it open between them
# (its process id in KEEPER), and it has the X focus from then on.
wine_keep_desktop() {
  wine_start "$2" "$2/keeper.txt" "$1" keep 86400
  KEEPER=$WINE_STARTED
  KERROW_X_DEADLINE=60 wait_for xdotool search --name 'Wine desktop'
  xdotool windowfocus --sync "$(wine_desktop)"
}

kerrow_show() { xdotool key "${1:-alt+space}" && wait_for kerrow_focused; }

# kerrow_first_show PID: Kerrow takes Alt+Space only once it has registered
# it, some time after its start: gives the desktop the X focus (keys reach
# Wine only through it), then presses Alt+Space until the popup has the
# focus, as long as Kerrow (process PID) runs. The desktop is focused again
# only while the X focus is on no Wine window: the desktop of a test before
# may still have been closing when it was found, and a new one opened.
# KERROW_X_NO_DESKTOP=1: Wine runs without a desktop window (and moves the X
# focus itself).
kerrow_first_show() {
  # The first program of a new prefix can take a while to open it.
  [ -n "${KERROW_X_NO_DESKTOP:-}" ] || KERROW_X_DEADLINE=60 wait_for xdotool search --name 'Wine desktop'
  local try
  for try in $(seq "$KERROW_X_DEADLINE"); do
    ! wine_process_ended "$1" || fail "Kerrow ended at start"
    [ -n "${KERROW_X_NO_DESKTOP:-}" ] || wine_x_focus_on_wine || xdotool windowfocus --sync "$(wine_desktop)" ||
      true # a desktop that closed meanwhile: the next try finds the new one
    xdotool key alt+space
    ! wine_session_wait 1 kerrow_focused || return 0
  done
  fail "Alt+Space did not show Kerrow in $try tries"
}

# wine_x_focus_on_wine: the X input focus is on a window of Wine's desktop.
wine_x_focus_on_wine() {
  local focus
  focus=$(xdotool getwindowfocus -f 2>/dev/null) && [ -n "$focus" ] &&
    xdotool search --name 'Wine desktop' | grep -qx "$focus"
}

kerrow_type() {
  local keys=$1
  shift
  xdotool type --delay 50 "$keys" && wine_session_wait "$KERROW_X_DEADLINE" "$@" ||
    fail "typed $keys: not within $KERROW_X_DEADLINE s: $*"
}

recorder_ran() { [ "$(cat "$1" 2>/dev/null | wc -l)" -ge "$2" ]; }

# wine_pids NAME...: the Linux processes of those Windows programs in this
# session's prefix (under Wine's 64-bit loader `wine` starts a launcher, not
# the program's own process).
wine_pids() {
  local pid
  for pid in $(pgrep -x "$(IFS='|' && echo "$*")"); do
    grep -qzx "WINEPREFIX=$WINEPREFIX" "/proc/$pid/environ" 2>/dev/null && echo "$pid"
  done
  return 0
}

# wine_private_kib PID: the private memory of a Wine process, as its resident
# anonymous pages (RssAnon) in KiB: for another process Wine's
# GetProcessMemoryInfo reports none.
wine_private_kib() { sed -n 's/^RssAnon:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$1/status"; }

# wine_path PATH: the Windows name of a Linux path (the root is drive Z:).
wine_path() { printf 'Z:%s' "${1//\//\\}"; }

# kerrow_saved_place FILE: "X,Y SHOW" of the placement record in a
# Kerrow.ini: the left and top edge and the show command (0: hidden).
kerrow_saved_place() {
  local hex
  hex=$(sed -n 's/^Placement=//p' "$1" | tr -d '\r')
  [ ${#hex} -eq 90 ] || return 1 # 44 bytes and the checksum
  field() {
    local at=$(($1 * 8)) v
    v=$((16#${hex:at+6:2}${hex:at+4:2}${hex:at+2:2}${hex:at:2}))
    echo $((v >= 2147483648 ? v - 4294967296 : v))
  }
  echo "$(field 7),$(field 8) $(field 2)"
}

# kerrow_drag X Y [AT_X AT_Y]: drags the shown popup by its icon towards a
# left and top edge of X,Y (the pointer cannot leave the screen) until it
# stands at AT_X,AT_Y (X,Y by default). Wine's move loop starts a moment after
# the button goes down and measures from where the pointer is then: a drag
# whose moves all came before that moves nothing, and is made again.
# kerrow_at X Y: the popup is shown with its left and top edge there.
kerrow_drag() {
  local toX=$(($1 + 9 < 0 ? 0 : $1 + 9)) toY=$(($2 + 9 < 0 ? 0 : $2 + 9)) try
  for try in 1 2 3 4 5; do
    wine_geometry "$(kerrow_popup)" || fail "no popup to drag"
    xdotool mousemove $((X + 9)) $((Y + 9)) mousedown 1 mousemove $(((X + toX) / 2)) $(((Y + toY) / 2)) \
      mousemove "$toX" "$toY" mouseup 1
    ! wine_session_wait 3 kerrow_at "${3:-$1}" "${4:-$2}" || return 0
  done
  fail "dragged $try times towards $1,$2: at $X,$Y, not ${3:-$1},${4:-$2}"
}
kerrow_at() { wine_geometry "$(kerrow_popup)" && [ "$X,$Y" = "$1,$2" ]; }

# kerrow_ended_with PID CODE: the Kerrow of process PID (a child of this
# shell) ends, with exit code CODE.
kerrow_ended_with() {
  local status=0
  wait_for wine_process_ended "$1"
  wait "$1" || status=$?
  [ "$status" -eq "$2" ] || fail "exit code $status, not $2"
}

# kerrow_icon_pixels: the icon square as the screen shows it.
kerrow_icon_pixels() {
  wine_geometry "$(kerrow_popup)" && import -window root -crop "16x16+$((X + 1))+$((Y + 1))" txt:-
}
