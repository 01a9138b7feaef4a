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
# reproducer is then left in build/fuzz/tests/fuzz/run/artifacts/.
set -euo pipefail

usage() {
  echo "usage: $0 [SECONDS] [--keep-corpus]" >&2
  exit 2
}

cd "$(dirname "$0")/.."
seconds=30
keepCorpus=
for arg in "$@"; do
  case $arg in
    --keep-corpus) keepCorpus=$arg ;;
    '' | *[!0-9]*) usage ;;
    *) seconds=$arg ;;
  esac
done

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
bash tests/fuzz/run_fuzz.sh build/fuzz/tests/fuzz/link_fuzz "$seconds" $keepCorpus
