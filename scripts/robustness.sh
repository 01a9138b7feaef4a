#!/usr/bin/env bash
# How the real kerrow.exe holds up under Wine, driven through X as a person
# would (xdotool), for each build this machine's Wine runs (i686 and x86_64;
# x86_64 alone where scripts/lib/wine-session.sh says why not):
#   hostile  hostile link files: Kerrow starts, answers Alt+Space and runs
#            the valid lines they hold, within a time until ready and a
#            private memory bound for each
#   locked   link.dat held open without sharing: #reload changes nothing,
#            and reads the file once it is let go
#   rewrite  link.dat rewritten without pause while the popup is shown and
#            hidden: no crash, no hang, and the change watch reads the last
#            content
#   soak     rounds of Alt+Space, typing, Escape or Enter on a recorder entry,
#            link.dat rewritten every 100 rounds: every launch with the
#            arguments of the content last read, and no growth of private
#            memory or descriptors from round 100 to the end
#   idle     no CPU time while hidden
# and kerrow-check's peak memory on the 1,000,000-line file (native Release).
# A scenario that breaks a bound is named and the script goes on with the
# next one, then ends with exit code 1. It ends with a table of the figures,
# with the date, the machine and the builds, as docs/performance.md shows it.
# Installs what it needs, starts and stops its own Wine session; not part of
# the test command.
# Usage: robustness.sh [--quick] [BUILD...]  (BUILD: i686 or x86_64)
#   full run: 2,000 soak rounds, 60 s idle, about 20 minutes a build
#   --quick: 200 soak rounds with link.dat rewritten every 20, 10 s idle,
#            about 5 minutes a build
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD

# From round 100 on, private memory may grow by soakSlackKib, descriptors by
# soakSlackFds: room for allocator noise and Wine's own caches (none was seen
# in any run), below what a leaked icon per round gives (about 4 KiB) over
# the 100 rounds after round 100 of the quick soak, and far below it over the
# 1,900 of the full one.
mode=full soakRounds=2000 rewriteEvery=100 idleSeconds=60 showCycles=50 soakSlackKib=512
if [ "${1:-}" = --quick ]; then
  mode=quick soakRounds=200 rewriteEvery=20 idleSeconds=10 showCycles=20 soakSlackKib=256
  shift
fi
soakBaseRound=100 soakSlackFds=2

bash scripts/install-deps.sh test >/dev/null || { echo "robustness: could not install the packages" >&2; exit 1; }
source scripts/lib/kerrow-x.sh || exit 1
source scripts/lib/build.sh
builds=("$@")
[ ${#builds[@]} -gt 0 ] || read -r -a builds <<<"$KERROW_WINE_ARCHS"
for arch in "${builds[@]}"; do
  [[ " $KERROW_WINE_ARCHS " == *" $arch "* ]] ||
    { echo "robustness: this machine's Wine cannot run the $arch build${KERROW_WINE_NO_I686:+: $KERROW_WINE_NO_I686}" >&2; exit 2; }
done
preset_of() { [ "$1" = i686 ] && echo windows || echo windows64; }

logs=$root/build/logs
mkdir -p "$logs"
for arch in "${builds[@]}"; do
  preset=$(preset_of "$arch")
  echo "Building $arch ($preset)"
  CMAKE_BUILD_PARALLEL_LEVEL=2 preset_build "$preset" >"$logs/robustness-build-$preset.log" 2>&1 ||
    { echo "robustness: the $preset build failed; log: $logs/robustness-build-$preset.log" >&2; exit 1; }
done
echo "Building the native kerrow-check (bench preset, Release)"
CMAKE_BUILD_PARALLEL_LEVEL=2 preset_build bench >"$logs/robustness-build-bench.log" 2>&1 ||
  { echo "robustness: the bench build failed; log: $logs/robustness-build-bench.log" >&2; exit 1; }

work=$(mktemp -d /tmp/kerrow-robustness.XXXXXX)
results=$work/results.tsv
: >"$results"
stopAll() {
  wine_session_stop
  rm -rf "$work"
}
trap stopAll EXIT

# figure ROW FIGURE TEXT: a figure of the build under way, for the table.
figure() { printf '%s\t%s\t%s\t%s\t%s\n' "$ARCH" "$1" "$2" "$3" "${4:-}" >>"$results"; }

# bounded ROW FIGURE UNIT VALUE MAX [BOUND]: a figure that must not be over
# MAX (UNIT kib, ms or n), which the table shows as BOUND if given; fails
# naming it when it is.
bounded() {
  local shown bound
  shown=$(show_value "$3" "$4") bound=$(show_value "$3" "$5")
  figure "$1" "$2" "$shown" "${6:-$bound}"
  echo "   $1, $2: $shown (bound $bound)"
  [ "$4" -le "$5" ] || fail "$1, $2: $shown, over the bound $bound"
}
show_value() {
  case $1 in
    kib) awk -v v="$2" 'BEGIN { printf "%.1f MiB", v / 1024 }' ;;
    ms) awk -v v="$2" 'BEGIN { printf "%.2f s", v / 1000 }' ;;
    *) echo "$2" ;;
  esac
}

# A scenario's failure: named on stderr and in the table.
fail_also() { echo "$1" >"$DIR/failure"; }

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

# scenario NAME: runs scenario_NAME for $ARCH in a folder of its own, with
# what it started ended afterwards, pass or fail.
scenario() {
  DIR=$work/$ARCH-$1 APP=$work/$ARCH-$1/app
  mkdir -p "$APP" "$DIR/program" "$DIR/bin"
  cp "$RECORDER_EXE" "$DIR/bin/recorder.exe"
  RECORDER=$(wine_path "$DIR/bin/recorder.exe")
  export KERROW_RECORDER_LOG
  KERROW_RECORDER_LOG=$(wine_path "$DIR/recorder.log")
  echo "== $ARCH: $1"
  local status pid
  # Not in a condition, so that errexit holds inside.
  (
    set -e
    trap 'touch "$DIR/stop" "$DIR/release"; wait' EXIT
    "scenario_$1"
  )
  status=$?
  for pid in $(wine_pids kerrow.exe recorder.exe); do kill -KILL "$pid" 2>/dev/null; done
  if [ "$status" -eq 0 ]; then
    figure "$1" result passed
  else
    figure "$1" result "FAILED: $(cat "$DIR/failure" 2>/dev/null || echo "exit code $status")"
    failures+=("$ARCH $1")
  fi
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

load() { cut -d' ' -f1 /proc/loadavg; }
# The CPUs' busy share since the counters in $1 (the first line of /proc/stat).
busy_since() {
  awk -v before="$1" 'NR == 1 { split(before, b); for (i = 2; i <= 9; i++) { d = $i - b[i]; all += d
    if (i != 5 && i != 6) busy += d } printf "%d%%", 100 * busy / all }' /proc/stat
}

started=$(date -u '+%Y-%m-%d %H:%M UTC')
commit="$(git rev-parse --short HEAD)$(git diff --quiet HEAD || echo ' and changes not committed')"
loadBefore=$(load)
statBefore=$(head -n 1 /proc/stat)
failures=()
echo "Starting a Wine session"
wine_session_start || exit 1
first=$(preset_of "${builds[0]}")
wine_keep_desktop "$root/build/$first/bench/perf_probe.exe" "$work"

for ARCH in "${builds[@]}"; do
  preset=$(preset_of "$ARCH")
  EXE=$root/build/$preset/kerrow.exe
  PROBE=$root/build/$preset/bench/perf_probe.exe
  RECORDER_EXE=$root/build/$preset/tests/helpers/recorder.exe
  for name in hostile locked rewrite soak idle; do
    scenario "$name"
  done
done
ARCH=native checker_peak

machine="$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1), $(nproc) cores,"
machine+=" Linux $(uname -r), $(wine --version)"
{
  echo
  echo "Robustness of kerrow.exe, $mode run (scripts/robustness.sh$([ "$mode" = full ] || echo " --$mode"))"
  echo
  echo "- Date: $started, commit $commit"
  echo "- Machine: $machine"
  echo "- Load: load average $loadBefore at the start, $(load) at the end; the CPUs $(busy_since "$statBefore")" \
    "busy over the run (every process on the machine)"
  for ARCH in "${builds[@]}"; do
    preset=$(preset_of "$ARCH")
    echo "- Build $ARCH: build/$preset/kerrow.exe, $(stat -c %s "$root/build/$preset/kerrow.exe") bytes" \
      "(MinGW-w64, Release, static)"
  done
  echo "- kerrow-check: build/bench/kerrow-check (host g++, Release)"
  echo
  awk -F'\t' -v builds="${builds[*]} native" '
    BEGIN { n = split(builds, arch, " ") }
    { key = $2 "\t" $3; if (!(key in seen)) { seen[key] = 1; order[++rows] = key }
      value[$1, key] = $4; if ($5 != "") bound[key] = $5 }
    END {
      printf "| scenario | figure |"; for (i = 1; i < n; i++) printf " %s |", arch[i]; print " bound |"
      printf "|---|---|"; for (i = 1; i < n; i++) printf "---|"; print "---|"
      for (r = 1; r <= rows; r++) {
        split(order[r], part, "\t"); line = "| " part[1] " | " part[2] " |"
        for (i = 1; i < n; i++) {
          if ((arch[n], order[r]) in value) v = i == 1 ? value[arch[n], order[r]] " (native)" : ""
          else v = (arch[i], order[r]) in value ? value[arch[i], order[r]] : "-"
          line = line " " v " |"
        }
        print line " " bound[order[r]] " |"
      }
    }' "$results"
} | tee "$logs/robustness-table.md"

if [ ${#failures[@]} -gt 0 ]; then
  echo "robustness: FAILED: ${failures[*]}" >&2
  exit 1
fi
echo "robustness: all scenarios within their bounds"
