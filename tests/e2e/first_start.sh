# First start with no Kerrow.ini: nothing shows, and the hidden popup waits
# at the bottom-right corner of the desktop.
source "$(dirname "$0")/lib.sh"

write_links "n	C:\\windows\\notepad.exe"
step "start without settings"
start_kerrow
expect 10 count=1 visible=0 cw=72 ch=16
[ $(($(state_of x) + $(state_of w))) -eq "$(state_of dw)" ] || fail "right edge is not the desktop's"
[ $(($(state_of y) + $(state_of h))) -eq "$(state_of dh)" ] || fail "bottom edge is not the desktop's"
[ ! -e "$APP/Kerrow.ini" ] || fail "settings written at start"
stop_kerrow
