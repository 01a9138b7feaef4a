# A known key paints its icon and an unknown text clears it; Enter runs the
# command with its arguments in its own folder and empties the box.
source "$(dirname "$0")/lib.sh"

write_links "rec	$RECORDER	--alpha \"two words\" " "rl	#reload"
start_kerrow
show_popup
expect 10 icon=grey
# A command that opens no window leaves the popup shown: Enter itself
# empties the box.
step "Enter on #reload"
type_key rl painted
press Return
expect 10 visible=1 text= icon=grey
step "RE is no key, REC is one, RECX again no key"
type_key re grey
type_text "c"
expect 10 text=REC icon=painted
type_text "x"
expect 10 text=RECX icon=grey
press BackSpace
expect 10 text=REC icon=painted
step "Enter on REC"
press Return
expect_recorded 1 '--alpha "two words" '
expect 10 text=
stop_kerrow
