#!/usr/bin/env bash
# Runs every test: native unit tests under the sanitizers, the fuzzer for a
# bounded time, then the Win32 and end-to-end tests of the i686 and x86_64
# builds under Wine, in an Xvfb display and a Wine prefix made for this run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/install-deps.sh test

jobs=$(nproc)
for preset in native windows windows64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done
# The benchmark and the X-side timer of scripts/perf.sh, kept building and working.
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DKERROW_BUILD_TESTS=OFF \
  -DKERROW_BUILD_BENCH=ON >/dev/null
cmake --build build/bench -j "$jobs" --target load_bench xlatency

passed=0
failed=0
summary=()

# ctest prints "N% tests passed, F tests failed out of T"; keep the counts.
run_ctest() {
  local name=$1 log
  shift
  log=$(mktemp)
  local status=0
  ctest "$@" 2>&1 | tee "$log" || status=$?
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
  if [ -n "$line" ]; then
    local total bad
    total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
    bad=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$line")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
  elif [ "$status" -ne 0 ]; then
    failed=$((failed + 1))
  fi
  [ "$status" -eq 0 ] || summary+=("$name")
  rm -f "$log"
}

run_ctest native --preset native

# The release zips hold the two programs, the sample link.dat and README.txt.
for preset in windows windows64; do
  cmake --build --preset "$preset" --target package >/dev/null
  listing=$(cmake -E tar tf "$(ls -t build/$preset/kerrow-*.zip | head -n 1)" | sort | tr '\n' ' ')
  if [ "$listing" = "README.txt kerrow-check.exe kerrow.exe link.dat " ]; then
    passed=$((passed + 1))
  else
    echo "package $preset holds: $listing"
    failed=$((failed + 1))
    summary+=("package-$preset")
  fi
done

if bash scripts/fuzz.sh 30; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
  summary+=(fuzz)
fi

source scripts/wine-session.sh
trap wine_session_stop EXIT
wine_session_start
run_ctest windows --preset windows
# A short run of the floor comparison: it fails when a measurement cannot be taken.
if bash tests/perf/floor_compare.sh build/windows/kerrow.exe build/windows/tests/perf/floor.exe \
  build/windows/tests/perf/perf_probe.exe build/bench/xlatency 2 20; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
  summary+=(floor-compare)
fi
run_ctest windows64 --preset windows64

echo
if [ ${#summary[@]} -gt 0 ]; then
  echo "Failed: ${summary[*]}"
fi
echo "kerrow: $passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ ${#summary[@]} -eq 0 ]
