# Sourced, not run. Starts what the Wine tests need and stops only that:
#   wine_session_start   Xvfb on a free display, a throw-away Wine prefix with
#                        a 1024x768 virtual desktop, a persistent wineserver
#   wine_session_stop    ends that wineserver and that Xvfb, removes the prefix
# Exports DISPLAY, WINEPREFIX, WINEDEBUG, WINEDLLOVERRIDES for what follows.

KERROW_DESKTOP_SIZE=${KERROW_DESKTOP_SIZE:-1024x768}

wine_session_free_display() {
  local n
  for n in $(seq 90 199); do
    if [ ! -e "/tmp/.X${n}-lock" ] && [ ! -e "/tmp/.X11-unix/X${n}" ]; then
      echo "$n"
      return 0
    fi
  done
  return 1
}

# wine_session_wait SECONDS COMMAND...: polls COMMAND until it succeeds; false
# once SECONDS have passed.
wine_session_wait() {
  local deadline=$(($(date +%s%N) + $1 * 1000000000))
  shift
  until "$@" >/dev/null 2>&1; do
    [ "$(date +%s%N)" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

wine_session_start() {
  local n
  n=$(wine_session_free_display) || { echo "no free X display" >&2; return 1; }
  KERROW_XVFB_LOG=$(mktemp /tmp/kerrow-xvfb.XXXXXX)
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$KERROW_XVFB_LOG" 2>&1 &
  KERROW_XVFB_PID=$!
  export DISPLAY=":$n"
  wine_session_wait 20 xdpyinfo -display "$DISPLAY" \
    || wine_session_wait 1 test -e "/tmp/.X11-unix/X$n" \
    || { echo "Xvfb did not start on $DISPLAY" >&2; return 1; }

  export WINEPREFIX
  WINEPREFIX=$(mktemp -d /tmp/kerrow-wine.XXXXXX)
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
  export WINEARCH=win64
  # Wine's background processes keep the descriptors of whoever starts them:
  # give them none of ours.
  wineboot -i </dev/null >"$WINEPREFIX/wineboot.log" 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$KERROW_DESKTOP_SIZE" /f \
    </dev/null >/dev/null 2>&1
  wineserver -w
  # Keep one server for the whole run instead of one per test.
  wineserver -p </dev/null >/dev/null 2>&1
}

wine_session_stop() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
  fi
  if [ -n "${KERROW_XVFB_PID:-}" ]; then
    kill "$KERROW_XVFB_PID" 2>/dev/null || true
    wait "$KERROW_XVFB_PID" 2>/dev/null || true
  fi
  rm -f "${KERROW_XVFB_LOG:-}"
}
