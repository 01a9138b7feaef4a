# Sourced, not run. The Wine set-up of every script and test:
#   on sourcing          decides which Windows builds this machine's Wine can
#                        run and sets Wine up for that; exports WINEDEBUG,
#                        WINEDLLOVERRIDES and WINEARCH, KERROW_WINE_ARCHS
#                        ("i686 x86_64", or "x86_64" alone) and
#                        KERROW_WINE_NO_I686 (why the i686 build cannot run
#                        here; empty where it can)
#   wine_prefix_make DIR a new prefix in DIR with a virtual desktop, a disc
#                        drive K: and a server \\kerrowhost
#   wine_xvfb_start SCREEN [ARG...]  Xvfb on a free display (exported as
#                        DISPLAY) with one screen of SCREEN (WxHxDEPTH);
#                        wine_xvfb_stop ends it
#   wine_session_start   Xvfb, a throw-away Wine prefix with a 1024x768
#                        virtual desktop, a persistent wineserver; exports
#                        DISPLAY and WINEPREFIX for what follows
#   wine_session_stop    ends that wineserver and that Xvfb, removes the prefix
#   wine_session_ensure  starts a session only where none is running (a test
#                        run on its own, as by `ctest --preset windows`);
#                        wine_session_end_own stops it again
#   wine_prefix_scratch  a throw-away prefix beside the session's, copied
#                        from the one the session made (wine_prefix_copy)
#   wine_prefix_end DIR  ends the programs of the prefix in DIR, removes it
#   wine_start DIR LOG PROGRAM [ARG...]  the one way a script starts a Windows
#                        program (Kerrow too): in the background, in the folder
#                        DIR, its output added to LOG; its process id in
#                        WINE_STARTED
#   wine_session_wait    polls a condition until a deadline
#   wine_process_ended   whether a process has ended
# What a script sees of Kerrow through X is in scripts/lib/kerrow-x.sh.
#
# Where the 32-bit Wine loader cannot start (a kernel that refuses 32-bit
# Linux programs, or KERROW_WINE64_ONLY=1), only the x86_64 build can run:
# stand-ins for wine, wine-stable and wineboot that go through the 64-bit
# loader are put first on PATH (in build/wine64-only), and every script and
# test started from here inherits them and the decision. Why, and what Wine 8
# does otherwise: docs/wine-notes.md, "32-bit Linux programs".

KERROW_DESKTOP_SIZE=${KERROW_DESKTOP_SIZE:-1024x768}
KERROW_WINE32_LOADER=/usr/lib/wine/wine
KERROW_WINE64_LOADER=/usr/lib/wine/wine64

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
export WINEARCH=win64

# wine_setup: the decision above, once per process tree.
wine_setup() {
  [ -z "${KERROW_WINE_ARCHS:-}" ] || return 0
  local reason="" out
  if [ "${KERROW_WINE64_ONLY:-}" = 1 ]; then
    reason="KERROW_WINE64_ONLY=1 asks for Wine's 64-bit loader only"
  elif [ ! -x "$KERROW_WINE32_LOADER" ]; then
    reason="Wine's 32-bit loader $KERROW_WINE32_LOADER is not installed"
  elif ! out=$("$KERROW_WINE32_LOADER" --version 2>&1 </dev/null); then
    reason="this machine does not run 32-bit Linux programs ($KERROW_WINE32_LOADER --version: ${out##*: })"
  fi
  if [ -z "$reason" ]; then
    export KERROW_WINE_ARCHS="i686 x86_64" KERROW_WINE_NO_I686=""
    return 0
  fi
  if [ ! -x "$KERROW_WINE64_LOADER" ]; then
    echo "wine-session: no Wine loader runs here: $reason, and $KERROW_WINE64_LOADER is not installed" >&2
    return 1
  fi

  local shims
  shims=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/build/wine64-only
  mkdir -p "$shims" || return 1
  wine_shim "$shims/wine" '"$@"'
  wine_shim "$shims/wine-stable" '"$@"'
  wine_shim "$shims/wineboot" 'wineboot "$@"'
  export KERROW_WINE_ARCHS="x86_64" KERROW_WINE_NO_I686=$reason
  export WINELOADER=$KERROW_WINE64_LOADER
  export PATH="$shims:$PATH"
}

# wine_shim FILE ARGS: a stand-in that runs the 64-bit loader with ARGS.
# Written beside and then moved, so that a run beside this one never finds
# half a file.
wine_shim() {
  printf '#!/bin/sh\n# Made by scripts/lib/wine-session.sh: Wine through its 64-bit loader only.\nWINELOADER=%s\nexport WINELOADER\nexec %s %s\n' \
    "$KERROW_WINE64_LOADER" "$KERROW_WINE64_LOADER" "$2" >"$1.$$" &&
    chmod +x "$1.$$" && mv -f "$1.$$" "$1"
}

wine_setup || return 1

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

# wine_prefix_make DIR: a new prefix in DIR (exported as WINEPREFIX) whose
# programs open in one virtual desktop of KERROW_DESKTOP_SIZE. Returns once
# Wine's background processes of the set-up have ended. wineboot's output is
# in DIR/wineboot.log, and shown if it fails.
wine_prefix_make() {
  export WINEPREFIX=$1
  mkdir -p "$WINEPREFIX" || return 1
  # Wine's background processes keep the descriptors of whoever starts them:
  # give them none of ours.
  if ! wineboot -i </dev/null >"$WINEPREFIX/wineboot.log" 2>&1; then
    tail -n 20 "$WINEPREFIX/wineboot.log" >&2
    echo "wine-session: wineboot -i failed for $WINEPREFIX (log $WINEPREFIX/wineboot.log)" >&2
    return 1
  fi
  # For the tests of targets Windows may have to wait for: K: is a disc
  # drive (an empty folder; Wine reads the kinds of drives from the 64-bit
  # side of the registry), and \\kerrowhost\share a server that answers,
  # where a link that loops gets an answer that tells nothing either way, as
  # a server that does not answer does on Windows.
  mkdir -p "$WINEPREFIX/disc" "$WINEPREFIX/dosdevices/unc/kerrowhost/share" &&
    ln -s "$WINEPREFIX/disc" "$WINEPREFIX/dosdevices/k:" &&
    ln -s loop "$WINEPREFIX/dosdevices/unc/kerrowhost/share/loop" &&
    wine reg add 'HKLM\Software\Wine\Drives' /v k: /d cdrom /reg:64 /f </dev/null >/dev/null 2>&1 &&
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1 &&
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$KERROW_DESKTOP_SIZE" /f \
      </dev/null >/dev/null 2>&1 ||
    { echo "wine-session: could not set the drives and the virtual desktop in $WINEPREFIX" >&2; return 1; }
  # A program that crashes ends at once, the debugger's backtrace in its
  # output, instead of waiting behind Wine's crash dialog until a time-out.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    </dev/null >/dev/null 2>&1 ||
    { echo "wine-session: could not turn off the crash dialog in $WINEPREFIX" >&2; return 1; }
  # The desktop wineboot opened has no such window: let it end first.
  wineserver -w
}

wine_xvfb_start() {
  local n
  n=$(wine_session_free_display) || { echo "wine-session: no free X display" >&2; return 1; }
  KERROW_XVFB_LOG=$(mktemp /tmp/kerrow-xvfb.XXXXXX)
  Xvfb ":$n" -screen 0 "$1" -nolisten tcp "${@:2}" >"$KERROW_XVFB_LOG" 2>&1 &
  KERROW_XVFB_PID=$!
  export DISPLAY=":$n"
  wine_session_wait 20 xdpyinfo -display "$DISPLAY" \
    || wine_session_wait 1 test -e "/tmp/.X11-unix/X$n" \
    || { cat "$KERROW_XVFB_LOG" >&2; echo "wine-session: Xvfb did not start on $DISPLAY" >&2; return 1; }
}
wine_xvfb_stop() {
  if [ -n "${KERROW_XVFB_PID:-}" ]; then
    kill "$KERROW_XVFB_PID" 2>/dev/null || true
    wait "$KERROW_XVFB_PID" 2>/dev/null || true
  fi
  rm -f "${KERROW_XVFB_LOG:-}"
}

# wine_prefix_copy FROM TO: a prefix in TO made as a copy of one that
# wine_prefix_make made in FROM and whose server has ended, in about a second
# instead of wineboot's ten or more. The system folders, most of its size
# (1.2 GB), which Wine does not write to once it is set up, are shared as
# hard links; every other file (the registry, the users' folders) is copied,
# so that what one prefix writes stays its own; K: is the copy's own folder.
wine_prefix_copy() {
  local file
  cp -al "$1/." "$2/" || return 1
  find "$2" \( -path "$2/drive_c/windows/system32" -o -path "$2/drive_c/windows/syswow64" \) -prune \
    -o -type f -print0 | while IFS= read -r -d '' file; do
    cp -p "$file" "$file.copy" && mv -f "$file.copy" "$file" || return 1
  done && ln -sfn "$2/disc" "$2/dosdevices/k:"
}

wine_session_start() {
  wine_xvfb_start 1280x1024x24 || return 1
  export KERROW_SESSION_PREFIX KERROW_PREFIX_TEMPLATE
  KERROW_SESSION_PREFIX=$(mktemp -d /tmp/kerrow-wine.XXXXXX)
  wine_prefix_make "$KERROW_SESSION_PREFIX" || return 1
  # What the throw-away prefixes of the tests are copied from.
  KERROW_PREFIX_TEMPLATE=$(mktemp -d /tmp/kerrow-template.XXXXXX)
  wine_prefix_copy "$KERROW_SESSION_PREFIX" "$KERROW_PREFIX_TEMPLATE" || return 1
  # Wine's recycle bin is the freedesktop.org trash under XDG_DATA_HOME: the
  # session's own, so that no test empties the host's.
  export XDG_DATA_HOME=$KERROW_SESSION_PREFIX/xdg-data
  mkdir -p "$XDG_DATA_HOME/Trash/files" "$XDG_DATA_HOME/Trash/info"
  # Keep one server for the whole run instead of one per test.
  wineserver -p </dev/null >/dev/null 2>&1
}

# Stops only what wine_session_start started: never a prefix it did not make.
wine_session_stop() {
  [ -z "${KERROW_SESSION_PREFIX:-}" ] || [ ! -d "$KERROW_SESSION_PREFIX" ] ||
    wine_prefix_end "$KERROW_SESSION_PREFIX"
  [ -z "${KERROW_PREFIX_TEMPLATE:-}" ] || rm -rf "$KERROW_PREFIX_TEMPLATE"
  wine_xvfb_stop
}

# A test started outside a session gets one of its own, never the host's
# display, Wine prefix or recycle bin.
wine_session_ensure() {
  [ -z "${KERROW_SESSION_PREFIX:-}" ] || return 0
  KERROW_SESSION_OWN=1
  wine_session_start
}
wine_session_end_own() {
  wine_prefix_scratch_end
  [ -z "${KERROW_SESSION_OWN:-}" ] || wine_session_stop
}

# wine_prefix_scratch: a throw-away prefix of the caller's own, beside the
# session's (for a test that ends or restarts all of its programs, or that
# changes what Wine reads at its start), made current. wine_session_end_own
# ends its programs and removes it.
wine_prefix_scratch() {
  KERROW_SCRATCH_PREFIX=$(mktemp -d /tmp/kerrow-scratch.XXXXXX) || return 1
  if [ -d "${KERROW_PREFIX_TEMPLATE:-}" ]; then
    export WINEPREFIX=$KERROW_SCRATCH_PREFIX
    wine_prefix_copy "$KERROW_PREFIX_TEMPLATE" "$KERROW_SCRATCH_PREFIX"
  else
    wine_prefix_make "$KERROW_SCRATCH_PREFIX"
  fi
}
wine_prefix_scratch_end() {
  [ -z "${KERROW_SCRATCH_PREFIX:-}" ] || wine_prefix_end "$KERROW_SCRATCH_PREFIX"
}

wine_prefix_end() {
  WINEPREFIX=$1 wineserver -k </dev/null >/dev/null 2>&1 || true
  WINEPREFIX=$1 wineserver -w </dev/null >/dev/null 2>&1 || true
  rm -rf "$1"
}

# Wine's background processes keep the descriptors of whoever starts them
# (see wine_prefix_make): the program gets none of ours.
wine_start() {
  local dir=$1 log=$2
  shift 2
  (cd "$dir" && exec wine "$@" </dev/null >>"$log" 2>&1) &
  WINE_STARTED=$!
}

# wine_process_ended PID: the process has ended (gone, or a zombie not yet
# waited for).
wine_process_ended() { [ ! -e "/proc/$1" ] || grep -q '^State:[[:space:]]*Z' "/proc/$1/status" 2>/dev/null; }
