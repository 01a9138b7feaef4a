#!/bin/bash
# Builds the link.dat fuzz target (tests/fuzz/link_fuzz.cpp) with the fuzz
# preset (clang, libFuzzer, ASan and UBSan) and runs it.
#
#   scripts/fuzz.sh [SECONDS] [--keep-corpus]
#
# SECONDS defaults to 30. The run works on a copy of tests/fuzz/corpus, so the
# repository's corpus stays as it is. For a long run (hours) add
# --keep-corpus: the inputs that reached new code are then merged back into
# tests/fuzz/corpus, to be reviewed and committed.
# Exits non-zero on a crash, a sanitizer report or a broken invariant; a
# reproducer is then left in build/fuzz/run/artifacts/.
set -euo pipefail

usage() {
  echo "usage: $0 [SECONDS] [--keep-corpus]" >&2
  exit 2
}

cd "$(dirname "$0")/.."
source scripts/lib/build.sh
seconds=30
keepCorpus=
for arg in "$@"; do
  case $arg in
    --keep-corpus) keepCorpus=$arg ;;
    '' | *[!0-9]*) usage ;;
    *) seconds=$arg ;;
  esac
done

preset_build fuzz
fuzzer=$PWD/build/fuzz/tests/fuzz/link_fuzz
repoCorpus=$PWD/tests/fuzz/corpus
work=$PWD/build/fuzz/run
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
if [ "$status" -ne 0 ]; then
  tail -n 40 "$log" >&2
  echo "fuzz: FAILED (exit $status) after ${seconds}s; log $log, reproducer in $artifacts/" >&2
  exit 1
fi
if [ -n "$keepCorpus" ]; then
  "$fuzzer" -merge=1 "$repoCorpus" "$corpus" >>"$log" 2>&1
fi
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
echo "fuzz: link_fuzz ran ${runs:-?} inputs in ${seconds}s, no failure"
