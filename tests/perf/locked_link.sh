# A link.dat that another program holds open without sharing cannot be read:
# "#reload" then changes nothing and the old keys still run as before; once
# the file is let go, "#reload" reads it.
source "$(dirname "$0")/../e2e/lib.sh"
source "$(dirname "$0")/perf_lib.sh"

write_links "old	$RECORDER	before" "rl	#reload"
start_kerrow
show_popup
write_links "old	$RECORDER	after" "rl	#reload" "new	$RECORDER	new"
step "another program opens link.dat with no sharing"
launch "$OUT" "$PROBE" lock "$(windows_path "$APP/link.dat")" 120
LOCKER=$LAUNCHED
wait_for 20 grep -q '^locked=1' "$OUT/wine.txt" || fail "the probe could not lock link.dat: $(cat "$OUT/wine.txt")"
step "#reload while it is locked"
reload_links
type_key new grey
press BackSpace BackSpace BackSpace
type_key old painted
# The recorder and Wine's console host for it must be gone before the next
# Alt+Space, or a late activation of theirs can swallow it.
run_recorder 1
expect_recorded 1 before
expect_hidden
step "the lock is let go: #reload reads the file"
kill "$LOCKER"
wait_exit "$LOCKER" 20
show_popup
reload_links
type_key new painted
press BackSpace BackSpace BackSpace
type_key old painted
press Return
expect_recorded 2 after
stop_kerrow
