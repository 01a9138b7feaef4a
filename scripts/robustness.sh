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
# This file drives the runs; the scenarios are in scripts/robustness/scenarios.sh,
# the figures and the table in scripts/robustness/report.sh.
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
stopAll() {
  wine_session_stop
  rm -rf "$work"
}
trap stopAll EXIT

source scripts/robustness/report.sh
source scripts/robustness/scenarios.sh

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

report | tee "$logs/robustness-table.md"

if [ ${#failures[@]} -gt 0 ]; then
  echo "robustness: FAILED: ${failures[*]}" >&2
  exit 1
fi
echo "robustness: all scenarios within their bounds"
