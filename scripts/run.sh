#!/usr/bin/env bash
# Builds kerrow.exe and runs it under Wine with examples/link.dat, from
# build/run/ (the run directory holds kerrow.exe, link.dat and, after #exit,
# Kerrow.ini). It runs the i686 build (the windows preset) where this
# machine's Wine can, else the x86_64 build (windows64), and says which
# (scripts/lib/wine-session.sh decides).
#   With a display: Kerrow runs in a 1024x768 Wine desktop window (prefix in
#   ~/.local/share/kerrow-wine, made on first use); click into it and press
#   Alt+Space. The script returns when Kerrow ends (#exit, key q in the sample).
#   Without one: a short scripted demo under Xvfb that saves a screenshot of
#   each step in build/demo/.
set -Eeuo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/lib/steps.sh
source scripts/lib/build.sh

steps_prepare run
if [ -z "$KERROW_WINE_NO_I686" ]; then
  preset=windows
  echo "Running the i686 build (build/windows/kerrow.exe)."
else
  preset=windows64
  echo "Running the x86_64 build (build/windows64/kerrow.exe): the i686 build cannot run here, because" \
    "$KERROW_WINE_NO_I686."
fi
step "build $preset" preset_build "$preset"

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
  : >"$run/wine.log"
  wine_start "$run" "$run/wine.log" kerrow.exe
  wait "$WINE_STARTED" || status=$?
  echo "Kerrow ended with exit code $status"
  case $status in
    0) ;;
    1) step_failed "Kerrow could not start: Alt+Space is taken (is Kerrow already running?)" ;;
    *) step_failed "Kerrow ended with exit code $status" ;;
  esac
}

run_demo() {
  local demo=$root/build/demo
  rm -rf "$demo"
  mkdir -p "$demo"
  trap wine_session_stop EXIT
  echo "No display: a scripted demo under Xvfb"
  step "start a Wine session" wine_session_start

  step_begin "demo" "$demo/wine.log (Kerrow's Wine output)"
  source scripts/lib/kerrow-x.sh
  fail_also() { step_failed "$1"; }
  # shot NAME: the desktop around the popup's bottom-right corner, three times enlarged.
  shot() {
    import -window root -crop "160x60+$((KERROW_DESKTOP_WIDTH - 160))+$((KERROW_DESKTOP_HEIGHT - 60))" \
      +repage -filter point -resize 300% "$demo/$1.png"
    echo "  $demo/$1.png"
  }

  # The demo starts as a first start does: hidden, at the bottom-right corner.
  rm -f "$run/Kerrow.ini"
  wine_start "$run" "$demo/wine.log" kerrow.exe
  local kerrow=$WINE_STARTED
  kerrow_first_show "$kerrow"

  echo "Screenshots:"
  shot 1-alt-space
  kerrow_type "$(program_key)" kerrow_icon_painted
  shot 2-typed-key
  xdotool key Escape
  wait_for kerrow_hidden
  shot 3-escape

  kerrow_show
  local key
  key=$(exit_key)
  [ -n "$key" ] || step_failed "link.dat gives #exit no key"
  xdotool type --delay 50 "$key"
  xdotool key Return
  wait_for wine_process_ended "$kerrow"
  local status=0
  wait "$kerrow" || status=$?
  echo "Kerrow ended with exit code $status"
  [ "$status" -eq 0 ] || step_failed "Kerrow ended with exit code $status"
}

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  run_on_display
else
  unset DISPLAY
  run_demo
fi
