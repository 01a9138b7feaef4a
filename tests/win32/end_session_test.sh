#!/usr/bin/env bash
# #shutdown and #reboot end every process of the Windows session they run
# in. They run here only inside a Wine prefix that this script makes for
# itself under /tmp and removes afterwards, beside a sentinel process of that
# prefix: the sentinel must end while this script (the host) goes on. A value
# that names no built-in ("#shutdown" and a space) must leave it running.
# Usage: end_session_test.sh BUILTIN_RUNNER_EXE
set -uo pipefail

runner=$1
# Wine as the session set it up: through the 64-bit loader where this machine
# does not run 32-bit programs.
source "$(dirname "$0")/../../scripts/wine-session.sh" || exit 1
deadline=60
prefix=$(mktemp -d /tmp/kerrow-end-session.XXXXXX) || exit 1
marker=.made-by-end-session-test
touch "$prefix/$marker"
export WINEPREFIX=$prefix

own_prefix() {
  [[ ${WINEPREFIX:-} == /tmp/kerrow-end-session.* && $WINEPREFIX == "$prefix" &&
    -f $WINEPREFIX/$marker ]]
}

# Every Wine command goes through here. Wine's background processes keep
# the descriptors of whoever starts them: output goes to files, never a pipe.
in_prefix() {
  own_prefix || { echo "refusing: WINEPREFIX=${WINEPREFIX:-} is not this test's prefix"; exit 1; }
  "$@" </dev/null >>"$prefix/wine.log" 2>&1
}

cleanup() {
  if own_prefix; then
    wineserver -k </dev/null >/dev/null 2>&1
    wineserver -w </dev/null >/dev/null 2>&1
    rm -rf "$prefix"
  fi
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  cat "$prefix/wine.log"
  exit 1
}

# Polls until the file exists or the deadline passes.
wait_for_file() {
  local end=$(($(date +%s) + deadline))
  until [ -e "$1" ]; do
    [ "$(date +%s)" -lt "$end" ] || return 1
    sleep 0.1
  done
}

# A sentinel in the prefix; NAME.ended appears once it has ended.
start_sentinel() {
  local ready="$prefix/$1.ready"
  (
    in_prefix wine "$runner" --sentinel "Z:${ready//\//\\}"
    touch "$prefix/$1.ended"
  ) &
  wait_for_file "$ready" || fail "$1 did not start"
}

run_value() {
  in_prefix timeout "$deadline" wine "$runner" "$1"
}

in_prefix wineboot -i || fail "wineboot -i"

start_sentinel first
run_value '#shutdown ' || fail "'#shutdown ' did not return 0"
[ -e "$prefix/first.ended" ] && fail "'#shutdown ' ended the sentinel"

run_value '#shutdown'
wait_for_file "$prefix/first.ended" || fail "#shutdown left the sentinel running"
echo "#shutdown ended the sentinel; the host goes on"

start_sentinel second
run_value '#reboot'
wait_for_file "$prefix/second.ended" || fail "#reboot left the sentinel running"
echo "#reboot ended the sentinel; the host goes on"
