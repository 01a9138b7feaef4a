# Sourced by scripts/robustness.sh, not run: its scenarios (scenario_NAME,
# run by the driver's `scenario NAME` in the folder DIR with the link.dat of
# APP, for the build ARCH: EXE, PROBE and RECORDER) and the native
# kerrow-check's peak memory (checker_peak). Their figures go to the report
# (scripts/robustness/report.sh).

now_ms() { echo $(($(date +%s%N) / 1000000)); }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$KERROW_PID/stat"; }
fd_count() { find "/proc/$KERROW_PID/fd" -mindepth 1 -maxdepth 1 | wc -l; }
links() { printf '%s\n' "$@" >"$APP/link.dat"; }
line() { printf '%s\t%s\t%s\n' "$1" "$RECORDER" "$2"; }

# kerrow_start [FOLDER]: starts kerrow.exe from FOLDER (its own, by default,
# so that writes to link.dat do not wake its change watch) in $APP, through
# the probe: READY_MS is the time until its message loop first waited for
# input with Alt+Space taken, KERROW_PID its Linux process. Each start is a
# first one, at the desktop's corner.
kerrow_start() {
  local folder=${1:-$DIR/program}
  cp "$EXE" "$folder/kerrow.exe"
  rm -f "$APP/Kerrow.ini"
  (cd "$APP" && wine "$PROBE" start "$(wine_path "$folder/kerrow.exe")" </dev/null >"$DIR/start.txt" 2>&1) ||
    fail "Kerrow did not start, or Alt+Space was not taken: $(tr -d '\r' <"$DIR/start.txt")"
  READY_MS=$(($(tr -d '\r' <"$DIR/start.txt" | sed -n 's/^startup_us=//p') / 1000))
  KERROW_PID=$(wine_pids kerrow.exe)
  [ "$(wc -w <<<"$KERROW_PID")" -eq 1 ] || fail "not one kerrow.exe process: '$KERROW_PID'"
}

# kerrow_stop: WM_CLOSE, as the system sends it, and Kerrow ends.
kerrow_stop() {
  wine "$PROBE" close Kerrow_Window </dev/null >/dev/null 2>&1 || fail "Kerrow did not close"
  wait_for wine_process_ended "$KERROW_PID"
}

# Alt+Space once the desktop has the X focus, and hiding until it has it again.
show() {
  wait_for wine_desktop_focused
  kerrow_show
}
hide() {
  xdotool key Escape
  wait_for kerrow_hidden
  wait_for wine_desktop_focused
}

# run_recorder N ARG: Enter on a resolved recorder entry, which must be its
# Nth start, with ARG last on its command line. The recorder, which opens no
# window, may or may not take the activation from the popup under Wine; once
# it has ended, Escape hides the popup in either case.
recorder_gone() { [ -z "$(wine_pids recorder.exe)" ]; }
run_recorder() {
  xdotool key Return
  wait_for recorder_ran "$DIR/recorder.log" "$1"
  local got
  got=$(sed -n "$1p" "$DIR/recorder.log")
  [[ "$got" == *" $2" ]] || fail "launch $1 was \"$got\", not with $2"
  wait_for recorder_gone
  hide
}

# hostile NAME MAX_READY_MS MAX_PRIVATE_MIB [KEY ARG]...: Kerrow on the
# link.dat in $APP: each KEY must show an icon, and Enter on the last run the
# recorder with ARG. Without keys the file holds no entry: a typed key and
# Enter run nothing.
hostile() {
  local name=$1 readyBound=$2 privateBound=$(($3 * 1024)) size keys=$(($# - 3))
  shift 3
  size=$(stat -c %s "$APP/link.dat")
  echo "-- $name ($size bytes)"
  rm -f "$DIR/recorder.log"
  kerrow_start
  bounded "hostile: $name" "until ready" ms "$READY_MS" "$readyBound"
  show
  if [ $# -eq 0 ]; then
    xdotool type --delay 50 good
    xdotool key Return
    hide
  fi
  while [ $# -ge 2 ]; do
    kerrow_type "$1" kerrow_icon_painted
    if [ $# -eq 2 ]; then
      run_recorder 1 "$2"
    else
      xdotool key BackSpace BackSpace BackSpace BackSpace
      wait_for kerrow_grey
    fi
    shift 2
  done
  bounded "hostile: $name" "private memory" kib "$(wine_private_kib "$KERROW_PID")" "$privateBound"
  kerrow_stop
  wait_for recorder_gone
  [ "$keys" -gt 0 ] || [ ! -e "$DIR/recorder.log" ] || fail "$name: a file without entries ran $(cat "$DIR/recorder.log")"
}

scenario_hostile() {
  local mib=1048576
  line good small >"$APP/link.dat"
  hostile "one line, for comparison" 5000 16 good small
  { line good start; head -c $((25 * mib)) /dev/urandom | tr -d '\032'; printf '\n'; line mid middle
    head -c $((25 * mib)) /dev/urandom | tr -d '\032'; printf '\n'; line end end; } >"$APP/link.dat"
  hostile "random bytes without Ctrl-Z" 10000 64 good start mid middle end end
  { printf 'long\t'; head -c $((10 * mib)) /dev/zero | tr '\0' x; printf '\n'; line good after; } >"$APP/link.dat"
  hostile "one line of 10 MiB, then a valid one" 10000 40 good after
  million >"$APP/link.dat"
  hostile "1,000,000 short lines" 20000 160 good last
  line good utf16 | iconv -f ASCII -t UTF-16LE >"$APP/link.dat"
  hostile "UTF-16 without BOM" 5000 16
  { printf '\xff\xfe'; line good utf16 | iconv -f ASCII -t UTF-16LE; } >"$APP/link.dat"
  hostile "UTF-16 with BOM" 5000 16
  head -c $mib /dev/zero >"$APP/link.dat"
  hostile "only NULs" 5000 16
  head -c $mib /dev/zero | tr '\0' '\032' >"$APP/link.dat"
  hostile "only Ctrl-Z" 5000 16
}
million() { seq 1 999999 | sed 's/.*/k& C:\\p\\&.exe/'; line good last; }

scenario_locked() {
  links "$(line old before)" "rl	#reload"
  kerrow_start
  show
  links "$(line old after)" "rl	#reload" "$(line new new)"
  wine_start "$DIR" "$DIR/lock.txt" "$PROBE" lock "$(wine_path "$APP/link.dat")" "$(wine_path "$DIR/release")"
  wait_for grep -q '^locked=1' "$DIR/lock.txt"
  echo "-- #reload while another program holds link.dat"
  kerrow_type rl kerrow_icon_painted
  xdotool key Return
  wait_for kerrow_grey
  kerrow_type old kerrow_icon_painted
  run_recorder 1 before
  echo "-- let go: #reload reads it"
  touch "$DIR/release"
  wait_for grep -q '^released=1' "$DIR/lock.txt"
  show
  kerrow_type rl kerrow_icon_painted
  xdotool key Return
  wait_for kerrow_grey
  kerrow_type new kerrow_icon_painted
  xdotool key BackSpace BackSpace BackSpace
  wait_for kerrow_grey
  kerrow_type old kerrow_icon_painted
  run_recorder 2 after
  figure locked "#reload while locked" "changed nothing"
  figure locked "#reload once let go" "read the file"
  kerrow_stop
}

# Kerrow runs from $APP itself: every write wakes its change watch.
scenario_rewrite() {
  links "$(line rec 0)"
  kerrow_start "$APP"
  ( i=0
    while [ ! -e "$DIR/stop" ]; do
      i=$((i + 1))
      { seq 1 $((i % 2000)) | sed 's/.*/k& C:\\p\\&.exe/'; line rec "$i"; } >"$APP/link.dat"
    done
    echo "$i" >"$DIR/writes" ) &
  local writer=$!
  echo "-- $showCycles times shown and hidden while link.dat is rewritten"
  for _ in $(seq "$showCycles"); do
    show
    hide
  done
  touch "$DIR/stop"
  wait "$writer"
  links "$(line fin final)"
  echo "-- $(cat "$DIR/writes") writes; the last content is read when shown"
  show
  kerrow_type fin kerrow_icon_painted
  run_recorder 1 final
  ! wine_process_ended "$KERROW_PID" || fail "Kerrow ended"
  figure rewrite "writes during $showCycles shows and hides" "$(cat "$DIR/writes")"
  figure rewrite "the last content" "read by the change watch"
  kerrow_stop
}

scenario_soak() {
  links "$(line rec v0)"
  kerrow_start "$APP"
  local round enters=0 started basePrivate baseFds private fds launches
  started=$(now_ms)
  echo "-- $soakRounds rounds, link.dat rewritten every $rewriteEvery"
  for round in $(seq "$soakRounds"); do
    show
    kerrow_type rec kerrow_icon_painted
    # Enter on the odd rounds: the first round after a rewrite launches,
    # which shows at once whether its show read the new content.
    if [ $((round % 2)) -eq 1 ]; then
      enters=$((enters + 1))
      # The content written after round k * rewriteEvery is read at the next show.
      run_recorder "$enters" "v$(((round - 1) / rewriteEvery))"
    else
      hide
    fi
    if [ "$round" -eq "$soakBaseRound" ]; then
      basePrivate=$(wine_private_kib "$KERROW_PID") baseFds=$(fd_count)
    fi
    if [ $((round % 100)) -eq 0 ]; then
      echo "   round $round: $((($(now_ms) - started) / round)) ms a round," \
        "private memory $(wine_private_kib "$KERROW_PID") KiB, $(fd_count) descriptors"
    fi
    [ $((round % rewriteEvery)) -ne 0 ] || links "$(line rec "v$((round / rewriteEvery))")"
  done
  show
  hide
  private=$(wine_private_kib "$KERROW_PID") fds=$(fd_count)
  figure soak "rounds, time a round" "$soakRounds, $(show_value ms $((($(now_ms) - started) / soakRounds)))"
  launches=$(wc -l <"$DIR/recorder.log")
  figure soak "launches for Enter presses" "$launches for $enters"
  [ "$launches" -eq "$enters" ] || fail "$launches launches for $enters Enter presses"
  figure soak "private memory at round $soakBaseRound" "$(show_value kib "$basePrivate")"
  bounded soak "private memory at the end" kib "$private" $((basePrivate + soakSlackKib)) \
    "round $soakBaseRound + $soakSlackKib KiB"
  figure soak "descriptors at round $soakBaseRound" "$baseFds"
  bounded soak "descriptors at the end" n "$fds" $((baseFds + soakSlackFds)) "round $soakBaseRound + $soakSlackFds"
  kerrow_stop
}

scenario_idle() {
  links "$(line rec idle)"
  kerrow_start
  show
  hide
  # Settled: one second without a clock tick. The measuring spans are the
  # only sleeps here.
  settled() {
    local ticks
    ticks=$(cpu_ticks)
    sleep 1
    [ "$(cpu_ticks)" -eq "$ticks" ]
  }
  wine_session_wait 30 settled || fail "idle: Kerrow kept using CPU time while hidden for 30 s"
  local before
  before=$(cpu_ticks)
  echo "-- $idleSeconds s hidden"
  sleep "$idleSeconds"
  bounded idle "CPU ticks over $idleSeconds s ($(getconf CLK_TCK) a second)" n $(($(cpu_ticks) - before)) 1
  show
  hide
  kerrow_stop
}

checker_peak() {
  local checker=$root/build/bench/kerrow-check dir=$work/checker status=0
  mkdir -p "$dir"
  DIR=$dir ARCH=native RECORDER='C:\p\recorder.exe'
  million >"$dir/link.dat"
  echo "== native kerrow-check on 1,000,000 short lines"
  timeout 120 /usr/bin/time -f %M -o "$dir/peak" "$checker" "$dir/link.dat" >"$dir/table" 2>"$dir/findings" || status=$?
  if [ "$status" -gt 1 ] || ! grep -qxF "GOOD	$RECORDER	last" "$dir/table"; then
    figure "kerrow-check" result "FAILED: exit code $status, $(wc -l <"$dir/table") entries"
    failures+=("kerrow-check")
    return
  fi
  ( bounded "kerrow-check: 1,000,000 short lines" "peak memory" kib "$(tail -n 1 "$dir/peak")" $((256 * 1024)) ) ||
    failures+=("kerrow-check")
}
