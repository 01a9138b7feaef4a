# "#shutdown" ends every program of the Wine session it runs in, Kerrow
# included, without Kerrow's close handling: no Kerrow.ini is written. It runs
# in a session of its own (its own X display and a throw-away prefix made
# here), so that it ends nothing else.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/../../scripts/wine-session.sh"

outerPrefix=$WINEPREFIX
# wine_session_stop stops only what this scenario's wine_session_start started.
KERROW_XVFB_PID=
KERROW_SESSION_PREFIX=
stop_own_session() {
  wine_session_stop
  cleanup
}
trap stop_own_session EXIT

step "a Wine session of its own"
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
