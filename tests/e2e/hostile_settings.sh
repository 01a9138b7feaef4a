# A broken, truncated or hostile Kerrow.ini never loses the popup: Kerrow
# takes only the position (kept on the desktop) and whether the popup was
# shown, never a size or a minimized or maximized state, and a record it
# cannot read counts as none.
source "$(dirname "$0")/lib.sh"

ini=$APP/Kerrow.ini
record() { (cd "$APP" && inspect placement '.\Kerrow.ini' "$@" >/dev/null) || fail "cannot write $*"; }

# try NAME SHOWN X Y: starts Kerrow on the Kerrow.ini just written; SHOWN says
# whether the popup shows at once, X and Y where it must stand (maxX and maxY
# stand for the bottom-right corner). The popup is 74 x 18 with its border.
try() {
  step "$1"
  start_kerrow
  expect 10 visible="$2"
  local x=${3/maxX/$(($(state_of dw) - 74))} y=${4/maxY/$(($(state_of dh) - 18))}
  show_popup
  expect 10 w=74 h=18 cw=72 ch=16 onscreen=1 x="$x" y="$y"
  type_text "ab"
  expect 10 text=AB
  stop_kerrow
  rm -f "$ini"
}

printf '[Window]\r\nPlacement=this is no record\r\n' >"$ini"
try "garbage" 0 maxX maxY
record 44 1 100 100 174 118
sed -i 's/^\(Placement=.\{40\}\).*/\1/' "$ini"
try "truncated record" 0 maxX maxY
record 40 1 100 100 174 118
try "record of 40 bytes" 0 maxX maxY
record 48 1 100 100 174 118
try "record of 48 bytes" 0 maxX maxY
record 44 1 5000 5000 5074 5018
try "far past the bottom-right corner" 1 maxX maxY
record 44 1 -3000 -2000 -2926 -1982
try "far past the top-left corner" 1 0 0
for show in 2 3 6 7 99; do
  record 44 "$show" 200 100 274 118
  try "show command $show" 1 200 100
done
record 44 1 10 20 6000 7000
try "huge normal rectangle" 1 10 20
record 44 0 9000 -500 9074 -482
try "hidden, off screen" 0 maxX 0
