#!/usr/bin/env bash
# Measures Kerrow against the floor and prints the tables of docs/performance.md:
#  - under Wine, in one desktop: start-up, hot key to visible, keystroke to
#    icon and private memory of kerrow.exe against bench/floor.cpp,
#    alternating the two (bench/floor_compare.sh), which fails when Kerrow's
#    private memory after start-up is over its bounds against the floor's;
#    the i686 build, or the x86_64 one where this machine's Wine cannot run
#    i686 programs (scripts/lib/wine-session.sh) or KERROW_PERF_BUILD=x86_64;
#  - natively (Release): loading link.dat against reading the file and finding
#    its line ends, and resolving a key (bench/load_bench.cpp).
# KERROW_PERF_ALTERNATIONS (20), KERROW_PERF_ROUNDS (1000) and
# KERROW_BENCH_REPETITIONS (10) set the amounts. Takes about 15 minutes; exits
# with 1 after the native benchmarks when the memory bounds were broken.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh test
source scripts/lib/wine-session.sh
source scripts/lib/build.sh
preset=windows
if [ -n "$KERROW_WINE_NO_I686" ] || [ "${KERROW_PERF_BUILD:-i686}" = x86_64 ]; then
  preset=windows64
fi
preset_build $preset
preset_build bench

echo "Machine: $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)," \
  "Linux $(uname -r), $(wine --version)"

echo "Build: build/$preset/kerrow.exe and its floor ($([ $preset = windows ] && echo i686 || echo x86_64)," \
  "MinGW-w64, Release, static)${KERROW_WINE_NO_I686:+; not i686: $KERROW_WINE_NO_I686}"
trap wine_session_stop EXIT
wine_session_start
bounds=0
bash bench/floor_compare.sh build/$preset/kerrow.exe build/$preset/bench/floor.exe \
  build/$preset/bench/perf_probe.exe build/bench/bench/xlatency \
  "${KERROW_PERF_ALTERNATIONS:-20}" "${KERROW_PERF_ROUNDS:-1000}" \
  build/$preset/bench/kerrow_census.exe build/$preset/bench/floor_census.exe || bounds=1
wine_session_stop
trap - EXIT

# Medians of the repetitions, per line of the file (per key for resolution).
csv=$(mktemp)
build/bench/bench/load_bench --benchmark_repetitions="${KERROW_BENCH_REPETITIONS:-10}" \
  --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null >"$csv"
echo
echo "Native, Release, median of ${KERROW_BENCH_REPETITIONS:-10} repetitions:"
echo
echo "| link.dat | floor: read, find line ends | Kerrow: load into the table | ratio |"
echo "|---|---|---|---|"
awk -F, '
  function ns(time, unit) { return time * (unit == "us" ? 1000 : unit == "ms" ? 1000000 : 1) }
  $1 ~ /^"[A-Za-z]+\/[0-9]+(_median)?"$/ {
    split($1, part, /[\/_"]/)
    t[part[2], part[3]] = ns($3, $5)
  }
  END {
    for (i = 0; i < 3; i++) {
      n = i == 0 ? 100 : i == 1 ? 10000 : 1000000
      printf "| %d lines | %.1f ns a line | %.1f ns a line | %.1f |\n",
        n, t["Floor", n] / n, t["Load", n] / n, t["Load", n] / t["Floor", n]
    }
    printf "\nResolving a typed key (look-up and split): %.0f ns with 1,000 keys, %.0f ns with 1,000,000.\n",
      t["Resolve", 1000], t["Resolve", 1000000]
  }' "$csv"
rm -f "$csv"
[ "$bounds" = 0 ] || { echo "FAIL: the floor comparison (above): a bound broken or a step failed" >&2; exit 1; }
