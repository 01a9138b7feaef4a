#!/usr/bin/env bash
# Runs every test: installs what the tests need, builds the presets (native,
# fuzz, bench, windows, windows64), starts a Wine session (Xvfb on a free
# display, a throw-away prefix; scripts/lib/wine-session.sh) and runs all the
# build trees' tests in one ctest run: the native tests under the sanitizers,
# the fuzzer for a bounded time, then the checks of the two Windows builds'
# files and their Win32 and end-to-end tests under Wine.
# Where this machine's Wine cannot run the i686 build, its Wine tests are left
# out (and not counted); a line before the summary says which tiers ran.
# Ends with ctest's summary line.
set -Eeuo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/lib/steps.sh
source scripts/lib/build.sh

steps_prepare test

for preset in native fuzz bench windows windows64; do
  step "build $preset" preset_build "$preset"
done

# One ctest run over the build trees, in this order.
tests=$root/build/tests
mkdir -p "$tests"
printf 'subdirs("%s")\n' "$root/build/native" "$root/build/fuzz" "$root/build/windows" \
  "$root/build/windows64" >"$tests/CTestTestfile.cmake"

skipI686=()
tiers="Wine tiers: i686 and x86_64 both ran (Win32 and end-to-end tests)"
if [ -n "$KERROW_WINE_NO_I686" ]; then
  skipI686=(-LE '^wine\.i686$')
  skipped=$(ctest --test-dir "$tests" -N -L '^wine\.i686$' | sed -n 's/^Total Tests: //p')
  tiers="Wine tiers: x86_64 ran; i686 skipped because $KERROW_WINE_NO_I686:"
  tiers+=" the i686 build was built and its files checked, its ${skipped:-?} Wine tests did not run"
  tiers+=" and are not counted"
fi

trap wine_session_stop EXIT
step "start a Wine session" wine_session_start

step_begin "ctest" "$tests/Testing/Temporary/LastTest.log"
echo
status=0
ctest --test-dir "$tests" --output-on-failure "${skipI686[@]}" -O "$KERROW_LOGS/ctest.log" || status=$?
summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$KERROW_LOGS/ctest.log" |
  tail -n 1 || true)

echo
bash scripts/count-lines.sh
echo "$tiers"
[ -n "$summary" ] || step_failed "ctest ended with exit code $status and no summary"
if [ "$status" -ne 0 ]; then
  echo "$KERROW_SCRIPT: FAILED at step \"ctest\": the failed tests are listed above; log: $KERROW_STEP_LOG"
fi
echo "$summary"
exit $((status == 0 ? 0 : 1))
