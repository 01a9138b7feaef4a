# Sourced by the robustness and footprint scenarios after ../e2e/lib.sh, whose
# arguments they share, with the probe (probe.cpp) as the fourth. Kerrow's
# memory and CPU time are read from the Linux process Wine runs it in: under
# Wine, GetProcessMemoryInfo reports no PrivateUsage for another process, and
# GetProcessHandleCount and GetGuiResources report 0.
PROBE=$4

# prefix_pids NAME...: the Linux processes of that name in this session's prefix.
prefix_pids() {
  local pid
  for pid in $(pgrep -x "$(IFS='|'; echo "$*")"); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$pid"
  done
  return 0
}

# start_measured [EXE]: start_kerrow, then finds Kerrow's own process. For a
# 64-bit program the process wine starts is only a launcher (start.exe).
start_measured() {
  start_kerrow "$@"
  KERROW_PROC=$(prefix_pids kerrow.exe)
  [ "$(wc -w <<<"$KERROW_PROC")" -eq 1 ] || fail "not one kerrow.exe process: '$KERROW_PROC'"
}

# Private memory: the resident anonymous pages of Kerrow's process, in KiB.
private_kib() { sed -n 's/^RssAnon:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$KERROW_PROC/status"; }
rss_kib() { sed -n 's/^VmRSS:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$KERROW_PROC/status"; }
# User and system CPU time, in clock ticks (the command name holds no blank).
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$KERROW_PROC/stat"; }
# Linux descriptors of the process: the closest count of its open handles here.
fd_count() { find "/proc/$KERROW_PROC/fd" -mindepth 1 -maxdepth 1 | wc -l; }

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# check_bound WHAT VALUE MAX: fails when VALUE is over MAX.
check_bound() {
  [ "$2" -le "$3" ] || fail "$1: $2 over the bound $3"
  echo "   $1: $2 (bound $3)"
}

# When the popup hides, Wine hands the X input focus back to its desktop a
# moment later; a hot key pressed before that goes nowhere.
desktop_has_focus() { [ "$(xdotool getwindowfocus -f)" = "$(desktop_window)" ]; }
expect_hidden() {
  expect 10 visible=0
  wait_for 10 desktop_has_focus || fail "the Wine desktop did not get the input focus back"
}

# Whether a program Kerrow launched (the recorder, or the console host Wine
# gives it) still runs.
launch_running() { [ -n "$(prefix_pids recorder.exe conhost.exe)" ]; }

# run_recorder N: Enter on the resolved recorder entry, which must be its Nth
# start. The windowless recorder may or may not take the activation from the
# popup under Wine, and may do so late; once it has ended, Escape hides the
# popup in either case.
run_recorder() {
  press Return
  wait_for 20 recorded_at_least "$1" || fail "the recorder did not run ($1)"
  wait_for 20 eval '! launch_running' || fail "the recorder did not end ($1)"
  press Escape
}
