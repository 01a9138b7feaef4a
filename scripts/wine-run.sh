#!/usr/bin/env bash
# Runs a Windows program under Wine for the test runner, its output passed on
# through a file. Wine's background processes (the desktop, the server)
# inherit the descriptors of whatever starts them: given the runner's pipe,
# they would keep it open, and the runner waiting, until the session ends.
# Wine as the session set it up: through the 64-bit loader where this machine
# does not run 32-bit programs.
source "$(dirname "$0")/lib/wine-session.sh" || exit 1
trap wine_session_end_own EXIT
wine_session_ensure >&2 || exit 1
out=$(mktemp /tmp/kerrow-wine-run.XXXXXX)
status=0
wine "$@" </dev/null >"$out" 2>&1 || status=$?
tr -d '\r' <"$out"
rm -f "$out"
exit "$status"
