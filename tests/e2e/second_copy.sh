# A second copy finds Alt+Space taken: it ends at once with exit code 1 and
# leaves no window and no settings; the first copy goes on working.
source "$(dirname "$0")/lib.sh"

start_kerrow
first=$KERROW_PID
inspect hotkey | grep -qx hotkey=taken || fail "Alt+Space is not registered"
step "second copy"
began=$(date +%s%N)
launch "$APP" "$KERROW_EXE"
wait_exit "$LAUNCHED" 20
echo "   second copy ended with $EXIT_CODE after $((($(date +%s%N) - began) / 1000000)) ms"
[ "$EXIT_CODE" -eq 1 ] || fail "second copy ended with $EXIT_CODE"
expect 10 count=1
[ ! -e "$APP/Kerrow.ini" ] || fail "second copy wrote settings"
step "the first copy still answers Alt+Space"
exited "$first" && fail "first copy ended"
show_popup
type_text "ok"
expect 10 text=OK
stop_kerrow
