# Escape hides the popup, and so does another program becoming active; a
# popup shown again has an empty box.
source "$(dirname "$0")/lib.sh"

start_kerrow
launch "$OUT" "$INSPECTOR" window 120 100 100
expect 20 fg=KerrowOtherProgram
show_popup
type_text "ab"
expect 10 text=AB
step "Escape"
press Escape
expect 10 visible=0 text=
show_popup
type_text "cd"
expect 10 text=CD
step "click on the other program"
xdotool mousemove 250 200 click 1
expect 10 visible=0 fg=KerrowOtherProgram text=
show_popup
stop_kerrow
