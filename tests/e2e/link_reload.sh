# A changed link.dat takes effect without a restart: when Kerrow runs from its
# own directory, saving the file while the popup is hidden is seen the next
# time it shows, before anything is typed; "#reload" reads it at once.
source "$(dirname "$0")/lib.sh"

step "Kerrow started from its own directory"
cp "$KERROW_EXE" "$APP/kerrow.exe"
write_links "rec	$RECORDER	one" "rl	#reload"
start_kerrow "$APP/kerrow.exe"
expect 10 visible=0
write_links "rec	$RECORDER	two" "rl	#reload" "new	$RECORDER	new"
show_popup
type_key new painted
press BackSpace BackSpace BackSpace
type_key rec painted
press Return
expect_recorded 1 two
stop_kerrow

step "Kerrow started from elsewhere: only #reload sees the change"
start_kerrow
show_popup
write_links "rec	$RECORDER	three" "rl	#reload" "new	$RECORDER	new" "late	$RECORDER	late"
type_key late grey
press BackSpace BackSpace BackSpace BackSpace
reload_links
type_key late painted
press Return
expect_recorded 2 late
stop_kerrow
