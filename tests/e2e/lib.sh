# Sourced by every end-to-end scenario, with the scenario's own arguments:
#   KERROW.EXE INSPECTOR.EXE RECORDER.EXE
# Needs the DISPLAY and WINEPREFIX of a Wine session (scripts/wine-session.sh).
# Each scenario gets its own directory: app/ (Kerrow's current directory),
# tools/ (the recorder) and out/ (what the helpers write, kept out of app/ so
# that it never wakes Kerrow's change watch). Nothing here sleeps to wait:
# conditions are polled until a deadline.
set -euo pipefail

KERROW_EXE=$1
INSPECTOR=$2
RECORDER_EXE=$3
if [ -z "${DISPLAY:-}" ] || [ -z "${WINEPREFIX:-}" ]; then
  echo "needs DISPLAY and WINEPREFIX: run inside scripts/wine-session.sh (scripts/test.sh does)" >&2
  exit 1
fi

KERROW_PID=

# Ends what this scenario started and is still running: the background jobs
# of this shell (a process that has been waited for is no job any more).
cleanup() {
  local jobsLeft
  jobsLeft=$(jobs -p)
  [ -z "$jobsLeft" ] || kill -KILL $jobsLeft 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$SCENARIO_DIR"
}
SCENARIO_DIR=$(mktemp -d /tmp/kerrow-e2e.XXXXXX)
trap cleanup EXIT
APP=$SCENARIO_DIR/app
TOOLS="$SCENARIO_DIR/my tools"
OUT=$SCENARIO_DIR/out
mkdir -p "$APP" "$TOOLS" "$OUT"
# The Linux root is Wine's drive Z:.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
cp "$RECORDER_EXE" "$TOOLS/recorder.exe"
RECORDER=$(windows_path "$TOOLS/recorder.exe")
RECORDER_LOG=$TOOLS/recorder.log

# The pointer rests outside the desktop, where it points at no window.
read -r screenWidth screenHeight < <(xdotool getdisplaygeometry)
xdotool mousemove $((screenWidth - 1)) $((screenHeight - 1))

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

step() { echo "-- $*"; }

# wait_for SECONDS COMMAND...: polls COMMAND until it succeeds; false at the deadline.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-session.sh"
wait_for() { wine_session_wait "$@"; }

# inspect VERB...: the inspector's answer (see wine_inspect).
inspect() { wine_inspect "$INSPECTOR" "$OUT/inspector.txt" "$@"; }

# expect SECONDS KEY=VALUE...: waits until the popup's state shows every pair;
# the state is then in $OUT/state.txt (see state_of).
expect() {
  local seconds=$1
  shift
  if ! inspect expect "$seconds" "$@" >"$OUT/state.txt"; then
    fail "expected $* within ${seconds}s; the popup shows: $(tr '\n' ' ' <"$OUT/state.txt")"
  fi
  echo "   $(tr '\n' ' ' <"$OUT/state.txt")"
}

state_of() { sed -n "s/^$1=//p" "$OUT/state.txt"; }

exited() { wine_process_ended "$1"; }

desktop_window() { xdotool search --name 'Wine desktop' | head -n 1; }

# No desktop of this prefix: neither its explorer process (a search of the X
# windows can miss a desktop while its windows are being torn down) nor its
# window.
no_desktop() {
  local pid
  for pid in $(pgrep -x explorer.exe); do
    ! grep -qzx "WINEPREFIX=$WINEPREFIX" "/proc/$pid/environ" 2>/dev/null || return 1
  done
  [ -z "$(xdotool search --name 'Wine desktop' 2>/dev/null)" ]
}

# launch DIR EXE [ARG...]: starts EXE under Wine with DIR as its current
# directory and leaves its process id in LAUNCHED.
launch() {
  (cd "$1" && shift && exec wine "$@" </dev/null >>"$OUT/wine.txt" 2>&1) &
  LAUNCHED=$!
}

# Keys reach Wine only while its desktop window has the X input focus. Wine
# itself puts the focus on the X window of a window it activates inside the
# desktop (a popup shown by its saved placement); moving the focus from there
# to the desktop would leave keys going nowhere, so that case is left alone.
focus_desktop() {
  local desktop focus
  desktop=$(desktop_window)
  [ -n "$desktop" ] || fail "no Wine desktop window"
  focus=$(xdotool getwindowfocus -f 2>/dev/null) || focus=
  if [ -n "$focus" ] && xwininfo -children -id "$desktop" | grep -q "^ *$(printf '0x%x' "$focus") "; then
    return
  fi
  xdotool windowfocus --sync "$desktop"
}

# start_kerrow [EXE]: starts Kerrow in $APP, waits until its message loop runs
# and gives the Wine desktop the X input focus. The desktop closes about a
# second after its last program; a start waits for that first, so that Kerrow
# and the focus go to a desktop that stays.
start_kerrow() {
  wait_for 15 no_desktop || true
  launch "$APP" "${1:-$KERROW_EXE}"
  KERROW_PID=$LAUNCHED
  if ! inspect ready 60 >"$OUT/ready.txt"; then
    local how="still runs"
    if exited "$KERROW_PID"; then
      wait_exit "$KERROW_PID" 1
      how="ended with $EXIT_CODE"
    fi
    fail "Kerrow did not come up (it $how): $(tr '\n' ' ' <"$OUT/ready.txt")"
  fi
  focus_desktop
}

# wait_exit PID SECONDS: waits for the process to end; its exit code is then in EXIT_CODE.
wait_exit() {
  wait_for "$2" exited "$1" || fail "process $1 still runs after $2s"
  EXIT_CODE=0
  wait "$1" || EXIT_CODE=$?
}

# stop_kerrow: asks Kerrow to close, as the platform would, and checks its exit code.
stop_kerrow() {
  inspect close >/dev/null || fail "no popup to close"
  wait_exit "$KERROW_PID" 20
  [ "$EXIT_CODE" -eq 0 ] || fail "Kerrow ended with $EXIT_CODE after WM_CLOSE"
}

# Wine gives the X input focus to the X window of the window it activates,
# a little after the activation; keys sent before that can be lost, or a late
# focus change can activate the window it comes from again. So keys are only
# sent once the X focus is where the activation put it.
x_focus_is() { wine_x_focus_is "$1"; }
x_focus_left_popup() { ! x_focus_is "Kerrow by Pellam"; }
wait_x_focus() { wait_for 10 "$@" || fail "the X input focus did not follow: $*"; }

# start_other_program: another program's window, active and with the keyboard.
start_other_program() {
  launch "$OUT" "$INSPECTOR" window 120 100 100
  expect 20 fg=KerrowOtherProgram
  wait_x_focus x_focus_is "Another program"
}

# show_popup: Alt+Space, then the popup must be in front with an empty,
# focused box, ready for keys.
show_popup() {
  xdotool key alt+space
  expect 10 visible=1 fg=popup focus=edit text=
  wait_x_focus x_focus_is "Kerrow by Pellam"
}

type_text() { xdotool type --delay 20 "$1"; }
press() { xdotool key "$@"; }

# type_key KEY ICON: types KEY and waits until the box shows it and the icon
# area is ICON (painted or grey).
type_key() {
  type_text "$1"
  expect 10 "text=${1^^}" "icon=$2"
}

# reload_links: "#reload" through its key rl; the box is emptied after it.
reload_links() {
  type_key rl painted
  press Return
  expect 10 visible=1 text=
}

# write_links LINE...: writes app/link.dat in place, one line per argument.
write_links() { printf '%s\n' "$@" >"$APP/link.dat"; }

recorded_at_least() { [ -f "$RECORDER_LOG" ] && [ "$(grep -c '^end$' "$RECORDER_LOG")" -ge "$1" ]; }

# expect_recorded N ARGS: waits for the Nth start of the recorder and checks
# that it ran in its own folder with ARGS after its name.
expect_recorded() {
  wait_for 20 recorded_at_least "$1" || fail "the recorder was not started ($1)"
  local block cwd
  block=$(awk -v n="$1" '/^cwd=/ { i++ } i == n' "$RECORDER_LOG")
  cwd=$(windows_path "$TOOLS")
  grep -qxF "cwd=$cwd" <<<"$block" || fail "recorder ran in the wrong folder: $block"
  grep -qxF "args=$2" <<<"$block" || fail "recorder got other arguments than '$2': $block"
  echo "   recorder: $(tr '\n' ' ' <<<"$block")"
}
