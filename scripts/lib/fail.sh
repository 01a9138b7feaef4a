# Sourced, not run. The one way a script or test says what went wrong:
#   fail MESSAGE  prints "FAIL: MESSAGE" on standard error, runs
#                 fail_also MESSAGE (nothing here; a script that keeps more of
#                 a failure, a picture of the screen or a line of its report,
#                 defines its own after sourcing) and ends the script with
#                 exit code 1. A test that goes on checking after a failure
#                 sets KERROW_FAIL_GOES_ON=1: fail then sets status=1 and
#                 returns.
fail_also() { :; }
fail() {
  echo "FAIL: $*" >&2
  fail_also "$*"
  [ -n "${KERROW_FAIL_GOES_ON:-}" ] || exit 1
  status=1
}
