# Escape hides the popup, and so does another program becoming active; a
# popup shown again has an empty box.
source "$(dirname "$0")/lib.sh"

start_kerrow
start_other_program
show_popup
type_text "ab"
expect 10 text=AB
step "Escape"
press Escape
expect 10 visible=0 text=
wait_x_focus x_focus_left_popup
show_popup
type_text "cd"
expect 10 text=CD
step "click on the other program"
xdotool mousemove 250 200 click 1
expect 10 visible=0 fg=KerrowOtherProgram text=
wait_x_focus x_focus_is "Another program"
show_popup
stop_kerrow
