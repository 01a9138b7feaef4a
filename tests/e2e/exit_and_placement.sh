# "#exit" ends Kerrow with exit code 0 and saves the placement; the next
# start shows the popup at once where it was left.
source "$(dirname "$0")/lib.sh"

write_links "bye	#exit"
start_kerrow
show_popup
step "move the popup away from the corner"
grab=$((($(state_of w) - $(state_of cw)) / 2 + 8))
xdotool mousemove $(($(state_of x) + grab)) $(($(state_of y) + grab)) mousedown 1 mousemove 400 300 mouseup 1
x=$((400 - grab)) y=$((300 - grab))
expect 10 x=$x y=$y
step "#exit"
type_text "bye"
expect 10 text=BYE
press Return
wait_exit "$KERROW_PID" 20
[ "$EXIT_CODE" -eq 0 ] || fail "#exit ended Kerrow with $EXIT_CODE"
saved=$(cd "$APP" && inspect readplacement '.\Kerrow.ini') || fail "no placement in Kerrow.ini"
echo "   $saved"
grep -q " show=1 x=$x y=$y " <<<"$saved" || fail "saved placement is not the popup's"
step "start again"
start_kerrow
expect 10 visible=1 x=$x y=$y w=74 h=18
stop_kerrow
