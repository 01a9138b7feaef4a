# Alt+Space while another program is active brings the popup to the front
# with an empty, focused box; typed letters become upper case, and the box
# takes four characters at most.
source "$(dirname "$0")/lib.sh"

start_kerrow
step "another program is active"
start_other_program
expect 10 visible=0
step "Alt+Space"
show_popup
step "typing"
type_text "abc"
expect 10 text=ABC
step "Alt+Space again keeps the text, and typing goes on"
xdotool key alt+space
type_text "d"
expect 10 visible=1 fg=popup text=ABCD menu=0
# A fifth character is refused; the backspace after it shows that it arrived.
type_text "e"
press BackSpace
expect 10 text=ABC
stop_kerrow
