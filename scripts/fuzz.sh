#!/bin/bash
# Builds the link.dat fuzz target (tests/fuzz/link_fuzz.cpp) with clang and
# libFuzzer, ASan and UBSan, and runs it.
#
#   scripts/fuzz.sh [SECONDS] [--keep-corpus]
#
# SECONDS defaults to 30. The run works on a copy of tests/fuzz/corpus, so the
# repository's corpus stays as it is. For a long run (hours) add
# --keep-corpus: the inputs that reached new code are then merged back into
# tests/fuzz/corpus, to be reviewed and committed.
# KERROW_FUZZ_DIR sets the build directory (default build/fuzz); CXX_FUZZ the
# compiler (default clang++; Debian needs libclang-rt-14-dev for libFuzzer).
# Exits non-zero on a crash, a sanitizer report or a broken invariant; a
# reproducer is then left in the build directory's artifacts/.
set -euo pipefail

usage() {
  echo "usage: $0 [SECONDS] [--keep-corpus]" >&2
  exit 2
}

root=$(cd "$(dirname "$0")/.." && pwd)
seconds=30
keepCorpus=0
for arg in "$@"; do
  case $arg in
    --keep-corpus) keepCorpus=1 ;;
    '' | *[!0-9]*) usage ;;
    *) seconds=$arg ;;
  esac
done

out=${KERROW_FUZZ_DIR:-$root/build/fuzz}
mkdir -p "$out"
"${CXX_FUZZ:-clang++}" -std=c++17 -g -O1 -Wall -Wextra \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -I"$root/src" -I"$root/tools" -I"$root/tests/native" \
  "$root/tests/fuzz/link_fuzz.cpp" \
  "$root/src/table/shortcut_table.cpp" \
  "$root/src/commands/command_text.cpp" \
  "$root/tools/link_check.cpp" \
  -o "$out/link_fuzz"

corpus=$out/corpus
artifacts=$out/artifacts
log=$out/link_fuzz.log
rm -rf "$corpus" "$artifacts"
mkdir -p "$corpus" "$artifacts"
cp "$root/tests/fuzz/corpus/"* "$corpus/"

status=0
UBSAN_OPTIONS=print_stacktrace=1 \
  "$out/link_fuzz" -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix="$artifacts/" "$corpus" >"$log" 2>&1 || status=$?

if [ "$status" -ne 0 ] || grep -qE 'ERROR: |runtime error|invariant broken' "$log"; then
  tail -n 40 "$log" >&2
  echo "fuzz: FAILED (exit $status) after ${seconds}s; log $log, reproducer in $artifacts/" >&2
  exit 1
fi

if [ "$keepCorpus" -eq 1 ]; then
  "$out/link_fuzz" -merge=1 "$root/tests/fuzz/corpus" "$corpus" >>"$log" 2>&1
fi

runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
echo "fuzz: link_fuzz ran ${runs:-?} inputs in ${seconds}s, no failure ($(ls "$corpus" | wc -l) inputs in the working corpus)"
