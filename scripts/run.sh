#!/usr/bin/env bash
# Builds kerrow.exe and runs it under Wine with examples/link.dat, from
# build/run/ (the run directory holds kerrow.exe, link.dat and, after #exit,
# Kerrow.ini).
#   With a display: Kerrow runs in a 1024x768 Wine desktop window (prefix in
#   ~/.local/share/kerrow-wine, made on first use); click into it and press
#   Alt+Space. The script returns when Kerrow ends (#exit, key q in the sample).
#   Without one: a short scripted demo under Xvfb that saves a screenshot of
#   each step in build/demo/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/install-deps.sh run
cmake --preset windows
cmake --build --preset windows -j "$(nproc)"

build=$root/build/windows
run=$root/build/run
mkdir -p "$run"
cp "$build/kerrow.exe" "$root/examples/link.dat" "$run/"

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="

# The key that link.dat gives to #exit, if any.
exit_key() {
  awk '{ sub(/\r$/, "") } tolower($2) == "#exit" { print $1; exit }' "$run/link.dat"
}

# The first key of link.dat that starts a program.
program_key() {
  awk '{ sub(/\r$/, "") } NF >= 2 && $2 !~ /^#/ { print $1; exit }' "$run/link.dat"
}

run_on_display() {
  export WINEPREFIX=${KERROW_WINEPREFIX:-${XDG_DATA_HOME:-$HOME/.local/share}/kerrow-wine}
  if [ ! -d "$WINEPREFIX" ]; then
    echo "Making a Wine prefix in $WINEPREFIX (once, about half a minute)"
    mkdir -p "$WINEPREFIX"
    WINEARCH=win64 wineboot -i </dev/null >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f \
      </dev/null >/dev/null 2>&1
    # The desktop wineboot opened has no such window: let it end first.
    wineserver -w
  fi
  local key
  key=$(exit_key)
  echo "Kerrow runs in the window \"Default - Wine desktop\": click into it and press Alt+Space."
  echo "Keys are in $run/link.dat${key:+; $key then Enter ends Kerrow}."
  local status=0
  (cd "$run" && wine kerrow.exe </dev/null >"$run/wine.log" 2>&1) || status=$?
  if [ "$status" -eq 1 ]; then
    echo "Kerrow could not start: Alt+Space is taken (is Kerrow already running?)" >&2
  fi
  echo "Kerrow ended with exit code $status"
  return "$status"
}

run_demo() {
  local demo=$root/build/demo
  local inspector=$build/tests/e2e/inspector.exe
  [ -x "$inspector" ] || { echo "the demo needs $inspector (GoogleTest sources turn the tests on)" >&2; exit 1; }
  rm -rf "$demo"
  mkdir -p "$demo"
  source "$root/scripts/wine-session.sh"
  trap wine_session_stop EXIT
  echo "No display: a scripted demo under Xvfb"
  wine_session_start

  # Wine's background processes keep the descriptors of whoever starts them,
  # so output goes through files.
  inspect() {
    local status=0
    wine "$inspector" "$@" </dev/null >"$demo/inspector.txt" 2>&1 || status=$?
    tr -d '\r' <"$demo/inspector.txt"
    return $status
  }
  state_of() { sed -n "s/^$1=//p" "$demo/state.txt"; }
  # Wine moves the X input focus a little after it activates a window; keys
  # are sent only once the focus is where the activation put it.
  x_focus_on_popup() {
    local focus
    focus=$(xdotool getwindowfocus -f 2>/dev/null) &&
      [ "$(xdotool getwindowname "$focus" 2>/dev/null)" = "Kerrow by Pellam" ]
  }
  x_focus_left_popup() { ! x_focus_on_popup; }
  show() {
    xdotool key alt+space
    expect visible=1 focus=edit
    wine_session_wait 10 x_focus_on_popup || { echo "the popup did not get the keyboard" >&2; exit 1; }
  }
  expect() { inspect expect 20 "$@" >"$demo/state.txt" || { cat "$demo/state.txt" >&2; exit 1; }; }
  # shot NAME: the desktop around the popup, three times enlarged.
  shot() {
    local x=$(($(state_of x) - 40)) y=$(($(state_of y) - 30))
    x=$((x < $(state_of dw) - 160 ? x : $(state_of dw) - 160))
    y=$((y < $(state_of dh) - 60 ? y : $(state_of dh) - 60))
    import -window root -crop "160x60+$x+$y" +repage -filter point -resize 300% "$demo/$1.png"
    echo "  $demo/$1.png"
  }

  # The demo starts as a first start does: hidden, at the bottom-right corner.
  rm -f "$run/Kerrow.ini"
  (cd "$run" && exec wine kerrow.exe </dev/null >"$demo/wine.log" 2>&1) &
  local kerrow=$!
  inspect ready 60 >/dev/null || { echo "Kerrow did not start" >&2; exit 1; }
  xdotool windowfocus --sync "$(xdotool search --name 'Wine desktop' | head -n 1)"

  echo "Screenshots:"
  show
  shot 1-alt-space
  local key
  key=$(program_key)
  xdotool type --delay 50 "$key"
  expect text="${key^^}" icon=painted
  shot 2-typed-key
  xdotool key Escape
  expect visible=0
  wine_session_wait 10 x_focus_left_popup
  shot 3-escape

  key=$(exit_key)
  if [ -n "$key" ]; then
    show
    xdotool type --delay 50 "$key"
    xdotool key Return
  else
    inspect close >/dev/null
  fi
  ended() { grep -q '^State:[[:space:]]*Z' "/proc/$kerrow/status" 2>/dev/null || [ ! -e "/proc/$kerrow" ]; }
  wine_session_wait 20 ended || { echo "Kerrow did not end" >&2; exit 1; }
  local status=0
  wait "$kerrow" || status=$?
  echo "Kerrow ended with exit code $status"
  rm -f "$demo/inspector.txt" "$demo/state.txt"
  return "$status"
}

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  run_on_display
else
  unset DISPLAY
  run_demo
fi
