# Dragging the popup by its icon: it follows the mouse but stops at the
# desktop's edges, at (0, 0) and at (maxX, maxY).
source "$(dirname "$0")/lib.sh"

start_kerrow
show_popup
dw=$(state_of dw) dh=$(state_of dh) w=$(state_of w) h=$(state_of h)
maxX=$((dw - w)) maxY=$((dh - h))
grab=$(((w - $(state_of cw)) / 2 + 8))  # from the window's corner to the icon's middle
[ "$(state_of x),$(state_of y)" = "$maxX,$maxY" ] || fail "popup is not at ($maxX, $maxY)"
# The desktop window sits at the X origin with the desktop's size, so X and
# Wine share one coordinate system.
eval "$(xdotool getwindowgeometry --shell "$(desktop_window)")"
[ "$X,$Y,$WIDTH,$HEIGHT" = "0,0,$dw,$dh" ] || fail "desktop window at $X,$Y size ${WIDTH}x$HEIGHT"

# drag_icon TO_X TO_Y: presses the mouse on the icon's middle and moves it.
drag_icon() {
  xdotool mousemove $(($(state_of x) + grab)) $(($(state_of y) + grab)) \
    mousedown 1 mousemove 500 400 mousemove "$1" "$2" mouseup 1
}
step "drag to the middle"
drag_icon 300 200
expect 10 x=$((300 - grab)) y=$((200 - grab))
step "drag past the top-left corner"
drag_icon 0 0
expect 10 x=0 y=0
step "drag past the bottom-right corner"
drag_icon $((dw + 100)) $((dh + 100))
expect 10 x=$maxX y=$maxY
stop_kerrow
