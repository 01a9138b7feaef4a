#!/usr/bin/env bash
# Runs the built fuzz target for a bounded time on a copy of the corpus:
#   run_fuzz.sh LINK_FUZZ SECONDS [--keep-corpus]
# The work (corpus copy, log, artifacts/) lies in run/ beside LINK_FUZZ.
# With --keep-corpus the inputs that reached new code are merged back into
# tests/fuzz/corpus, to be reviewed and committed. Exits non-zero on a crash,
# a sanitizer report or a broken invariant; a reproducer is then left in
# artifacts/.
set -euo pipefail

fuzzer=$(realpath "$1")
seconds=$2
keepCorpus=${3:-}
repoCorpus=$(cd "$(dirname "$0")" && pwd)/corpus
work=$(dirname "$fuzzer")/run
corpus=$work/corpus
artifacts=$work/artifacts
log=$work/link_fuzz.log
rm -rf "$work"
mkdir -p "$corpus" "$artifacts"
cp "$repoCorpus/"* "$corpus/"

status=0
UBSAN_OPTIONS=print_stacktrace=1 \
  "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix="$artifacts/" "$corpus" >"$log" 2>&1 || status=$?

if [ "$status" -ne 0 ] || grep -qE 'ERROR: |runtime error|invariant broken' "$log"; then
  tail -n 40 "$log" >&2
  echo "fuzz: FAILED (exit $status) after ${seconds}s; log $log, reproducer in $artifacts/" >&2
  exit 1
fi

if [ "$keepCorpus" = --keep-corpus ]; then
  "$fuzzer" -merge=1 "$repoCorpus" "$corpus" >>"$log" 2>&1
fi

runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
echo "fuzz: link_fuzz ran ${runs:-?} inputs in ${seconds}s, no failure ($(find "$corpus" -type f | wc -l) inputs in the working corpus)"
