#!/usr/bin/env bash
# Native benchmarks of loading link.dat and resolving a key (Release build).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh test
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DKERROW_BUILD_TESTS=OFF -DKERROW_BUILD_BENCH=ON >/dev/null
cmake --build build/bench --target load_bench -j "$(nproc)"
build/bench/load_bench --benchmark_repetitions="${REPETITIONS:-5}" --benchmark_report_aggregates_only=true "$@"
