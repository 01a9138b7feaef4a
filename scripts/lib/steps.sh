# Sourced by scripts/test.sh and scripts/run.sh, which run in steps. A step's
# output goes to a log of its own in build/logs/; when it fails, the script
# shows the end of that log and names the step and the log, then ends with
# exit code 1. Any other command that fails ends the script the same way,
# through the ERR trap, naming the step it was in.
#   step NAME COMMAND...   runs COMMAND (a function runs in this shell) as NAME
#   step_begin NAME [LOG]  for the commands that follow, until the next step
# Needs `set -E` (errtrace), so that the trap also sees failures in functions.

KERROW_SCRIPT=$(basename "$0")
KERROW_LOGS=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/build/logs
KERROW_STEP="start"
KERROW_STEP_LOG=""

step_begin() {
  KERROW_STEP=$1
  KERROW_STEP_LOG=${2:-}
}

# step_failed WHAT: names the step, what went wrong and the log, then exits.
step_failed() {
  local where="${KERROW_STEP_LOG:+; log: $KERROW_STEP_LOG}"
  echo "$KERROW_SCRIPT: FAILED at step \"$KERROW_STEP\": $1$where" >&2
  exit 1
}

step() {
  local name=$1 log started status=0
  shift
  mkdir -p "$KERROW_LOGS"
  log=$KERROW_LOGS/$(tr -cs 'A-Za-z0-9.' '-' <<<"$name" | sed 's/-$//').log
  step_begin "$name" "$log"
  started=$(date +%s)
  "$@" >"$log" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    echo "---- last lines of $log" >&2
    tail -n 30 "$log" >&2
    step_failed "exit code $status"
  fi
  echo "$name: done ($(($(date +%s) - started)) s)"
}

# A subshell that fails only passes its exit code on: the shell that waits
# for it says what failed.
step_trap() {
  local status=$1 command=$2 line=$3
  [ "$BASHPID" = "$$" ] || exit "$status"
  step_failed "\"$command\" ended with exit code $status (line $line)"
}
trap 'step_trap $? "$BASH_COMMAND" $LINENO' ERR

# steps_prepare run|test: installs the Debian packages of the README command
# and sets Wine up (scripts/lib/wine-session.sh).
steps_prepare() {
  step "install the Debian packages" bash scripts/install-deps.sh "$1"
  step_begin "set up Wine"
  source "$(dirname "${BASH_SOURCE[0]}")/wine-session.sh"
}
