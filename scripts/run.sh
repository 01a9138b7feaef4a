#!/usr/bin/env bash
# Builds kerrow.exe and runs it under Wine with examples/link.dat, from
# build/run/ (the run directory holds kerrow.exe, link.dat and, after #exit,
# Kerrow.ini). It runs the i686 build (the windows preset) where this
# machine's Wine can, else the x86_64 build (windows64), and says which
# (scripts/wine-session.sh decides).
#   With a display: Kerrow runs in a 1024x768 Wine desktop window (prefix in
#   ~/.local/share/kerrow-wine, made on first use); click into it and press
#   Alt+Space. The script returns when Kerrow ends (#exit, key q in the sample).
#   Without one: a short scripted demo under Xvfb that saves a screenshot of
#   each step in build/demo/.
set -Eeuo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/steps.sh

step "install the Debian packages" bash scripts/install-deps.sh run
step_begin "set up Wine"
source scripts/wine-session.sh
if [ -z "$KERROW_WINE_NO_I686" ]; then
  preset=windows
  echo "Running the i686 build (build/windows/kerrow.exe)."
else
  preset=windows64
  echo "Running the x86_64 build (build/windows64/kerrow.exe): the i686 build cannot run here, because" \
    "$KERROW_WINE_NO_I686."
fi
step "configure $preset" cmake --preset "$preset"
step "build $preset" cmake --build --preset "$preset" -j "$(nproc)"

build=$root/build/$preset
run=$root/build/run
mkdir -p "$run"
cp "$build/kerrow.exe" "$root/examples/link.dat" "$run/"

# The key that link.dat gives to #exit, if any.
exit_key() {
  awk '{ sub(/\r$/, "") } tolower($2) == "#exit" { print $1; exit }' "$run/link.dat"
}

# The first key of link.dat that starts a program.
program_key() {
  awk '{ sub(/\r$/, "") } NF >= 2 && $2 !~ /^#/ { print $1; exit }' "$run/link.dat"
}

run_on_display() {
  local prefix=${KERROW_WINEPREFIX:-${XDG_DATA_HOME:-$HOME/.local/share}/kerrow-wine}
  if [ ! -d "$prefix" ]; then
    echo "Making a Wine prefix in $prefix (once, about half a minute)"
    step "make the Wine prefix" wine_prefix_make "$prefix"
  fi
  export WINEPREFIX=$prefix
  local key
  key=$(exit_key)
  echo "Kerrow runs in the window \"Default - Wine desktop\": click into it and press Alt+Space."
  echo "Keys are in $run/link.dat${key:+; $key then Enter ends Kerrow}."
  step_begin "run Kerrow" "$run/wine.log"
  local status=0
  (cd "$run" && wine kerrow.exe </dev/null >"$run/wine.log" 2>&1) || status=$?
  echo "Kerrow ended with exit code $status"
  case $status in
    0) ;;
    1) step_failed "Kerrow could not start: Alt+Space is taken (is Kerrow already running?)" ;;
    *) step_failed "Kerrow ended with exit code $status" ;;
  esac
}

run_demo() {
  local demo=$root/build/demo
  local inspector=$build/tests/helpers/inspector.exe
  [ -x "$inspector" ] ||
    step_failed "the demo needs $inspector (GoogleTest's sources in /usr/src/googletest turn the tests on)"
  rm -rf "$demo"
  mkdir -p "$demo"
  trap wine_session_stop EXIT
  echo "No display: a scripted demo under Xvfb"
  step "start a Wine session" wine_session_start

  step_begin "demo" "$demo/wine.log (Kerrow's Wine output)"
  inspect() { wine_inspect "$inspector" "$demo/inspector.txt" "$@"; }
  state_of() { sed -n "s/^$1=//p" "$demo/state.txt"; }
  x_focus_on_popup() { wine_x_focus_is "Kerrow by Pellam"; }
  x_focus_left_popup() { ! x_focus_on_popup; }
  # Keys are sent only once the X focus is where the activation put it.
  show() {
    xdotool key alt+space
    expect visible=1 focus=edit
    wine_session_wait 10 x_focus_on_popup || step_failed "the popup did not get the keyboard"
  }
  expect() {
    inspect expect 20 "$@" >"$demo/state.txt" ||
      step_failed "expected $*; the popup shows: $(tr '\n' ' ' <"$demo/state.txt")"
  }
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
  inspect ready 60 >/dev/null || step_failed "Kerrow did not start"
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
  wine_session_wait 10 x_focus_left_popup || step_failed "the X input focus stayed on the hidden popup"
  shot 3-escape

  key=$(exit_key)
  if [ -n "$key" ]; then
    show
    xdotool type --delay 50 "$key"
    xdotool key Return
  else
    inspect close >/dev/null
  fi
  wine_session_wait 20 wine_process_ended "$kerrow" || step_failed "Kerrow did not end"
  local status=0
  wait "$kerrow" || status=$?
  echo "Kerrow ended with exit code $status"
  [ "$status" -eq 0 ] || step_failed "Kerrow ended with exit code $status"
  rm -f "$demo/inspector.txt" "$demo/state.txt"
}

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  run_on_display
else
  unset DISPLAY
  run_demo
fi
