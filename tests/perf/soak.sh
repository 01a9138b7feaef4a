# Soak: rounds of Alt+Space, typing a key, then Escape or Enter (in turn) on
# a recorder entry, with link.dat rewritten every 100 rounds while Kerrow runs
# from its own directory. At the end Kerrow must still answer, the recorder
# must have run exactly once per Enter with the last content's arguments, and
# private memory and open descriptors must not have grown after round 100.
# KERROW_SOAK_ROUNDS sets the number of rounds (200 by default).
source "$(dirname "$0")/../e2e/lib.sh"
source "$(dirname "$0")/perf_lib.sh"

rounds=${KERROW_SOAK_ROUNDS:-200}
memorySlackKib=512
fdSlack=2
[ "$rounds" -ge 200 ] || fail "at least 200 rounds, to compare with round 100"

cp "$KERROW_EXE" "$APP/kerrow.exe"
write_links "rec	$RECORDER	v0" "rl	#reload"
start_measured "$APP/kerrow.exe"
enters=0
version=0
started=$(now_ms)
for round in $(seq 1 "$rounds"); do
  show_popup >/dev/null
  type_text "rec"
  if [ $((round % 2)) -eq 0 ]; then
    enters=$((enters + 1))
    run_recorder "$enters"
  else
    press Escape
  fi
  expect_hidden >/dev/null
  if [ $((round % 100)) -eq 0 ]; then
    echo "-- round $round: $(( ($(now_ms) - started) / round )) ms a round," \
      "private $(private_kib) KiB, rss $(rss_kib) KiB, $(fd_count) descriptors"
    if [ "$round" -eq 100 ]; then
      basePrivate=$(private_kib)
      baseFds=$(fd_count)
    fi
    version=$((round / 100))
    write_links "rec	$RECORDER	v$version" "rl	#reload"
  fi
done
step "Kerrow still answers"
show_popup
press Escape
expect_hidden
step "the recorder ran once per Enter, with the last content"
ran=$(grep -c '^end$' "$RECORDER_LOG")
[ "$ran" -eq "$enters" ] || fail "the recorder ran $ran times for $enters Enter presses"
last=$(awk '/^args=/ { a = $0 } END { print a }' "$RECORDER_LOG")
[ "$last" = "args=v$((version - (rounds % 100 == 0 ? 1 : 0)))" ] || fail "the last launch had $last"
echo "   $ran launches, last $last"
step "no growth after round 100"
check_bound "private KiB" "$(private_kib)" $((basePrivate + memorySlackKib))
check_bound "descriptors" "$(fd_count)" $((baseFds + fdSlack))
wine "$PROBE" counts </dev/null >"$OUT/counts.txt" 2>&1 || true
echo "   Windows' own counts: $(tr -d '\r' <"$OUT/counts.txt")"
stop_kerrow
