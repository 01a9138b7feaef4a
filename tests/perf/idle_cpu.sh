# While hidden and idle Kerrow must use no CPU time: after one show and hide
# it settles, then its process may gain at most one clock tick over the
# measured span (KERROW_IDLE_SECONDS, 10 by default).
source "$(dirname "$0")/../e2e/lib.sh"
source "$(dirname "$0")/perf_lib.sh"

seconds=${KERROW_IDLE_SECONDS:-10}
write_links "rec	$RECORDER	idle"
start_measured
show_popup >/dev/null
press Escape
expect_hidden >/dev/null
# Settled: one second without a tick (the second is a measuring span).
settled() { local ticks; ticks=$(cpu_ticks); sleep 1; [ "$(cpu_ticks)" -eq "$ticks" ]; }
wait_for 30 settled || fail "Kerrow kept using CPU time while hidden"
before=$(cpu_ticks)
sleep "$seconds"
check_bound "CPU ticks over ${seconds}s, $(getconf CLK_TCK) a second" $(($(cpu_ticks) - before)) 1
expect 5 visible=0 >/dev/null
stop_kerrow
