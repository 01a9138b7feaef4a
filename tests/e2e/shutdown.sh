# "#shutdown" ends every program of the Wine session it runs in, Kerrow
# included, without Kerrow's close handling: no Kerrow.ini is written. It runs
# in a session of its own (its own X display and a throw-away prefix made
# here), so that it ends nothing else.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/../../scripts/wine-session.sh"

outerPrefix=$WINEPREFIX
stop_own_session() {
  # Only a prefix this scenario made is ever stopped and removed.
  if [ "$WINEPREFIX" != "$outerPrefix" ]; then
    wine_session_stop
  elif [ -n "${KERROW_XVFB_PID:-}" ]; then
    kill "$KERROW_XVFB_PID" 2>/dev/null || true
  fi
  cleanup
}
trap stop_own_session EXIT

step "a Wine session of its own"
KERROW_XVFB_PID=
wine_session_start || fail "no Wine session"
[ "$WINEPREFIX" != "$outerPrefix" ] && [ -d "$WINEPREFIX" ] || fail "not in a prefix of this scenario"

write_links "sd	#shutdown"
start_kerrow
start_other_program
sentinel=$LAUNCHED
show_popup
type_key sd painted
step "#shutdown"
press Return
wait_exit "$KERROW_PID" 60
echo "   Kerrow ended with $EXIT_CODE"
wait_exit "$sentinel" 60
echo "   the other program ended with $EXIT_CODE"
[ ! -e "$APP/Kerrow.ini" ] || fail "#shutdown went through the close handling"
