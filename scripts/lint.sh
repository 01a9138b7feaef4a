#!/usr/bin/env bash
# Checks formatting (clang-format) and runs clang-tidy over the program's
# sources as its builds compile them: the text core with the native preset's
# compile commands, the Win32 sources with the windows (MinGW i686) preset's.
# Builds both presets; which file is which comes from CMake.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

source scripts/lib/build.sh
preset_build native >/dev/null
preset_build windows >/dev/null

status=0
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
for f in "${sources[@]}"; do
  if ! clang-format "$f" | cmp -s - "$f"; then
    echo "not formatted: $f"
    status=1
  fi
done

# sources_of BUILD: the files of src/ that BUILD compiles, one a line.
sources_of() {
  sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$1/compile_commands.json" | grep -E "^$root/(src|tools)/" | sort -u
}
core=$(sources_of build/native)
win32=$(comm -13 <(echo "$core") <(sources_of build/windows))

# clang-tidy parses the MinGW sources as clang, which knows the MinGW headers
# but not GCC's C++ library beside them: ask the compiler of the windows
# build where that is.
mingwCxx=$(sed -n 's/^ *"command": "\([^ ]*\) .*/\1/p' build/windows/compile_commands.json | head -n 1)
mingwArgs=(--extra-arg=--target=i686-w64-mingw32)
while read -r dir; do
  mingwArgs+=("--extra-arg=-isystem$dir")
done < <("$mingwCxx" -x c++ -E -v - </dev/null 2>&1 |
  sed -n '/^#include <...> search starts here:/,/^End of search list/s|^ \(.*/c++.*\)$|\1|p')

tidy() {
  local out
  out=$(clang-tidy --quiet "$@" 2>/dev/null | grep -E 'warning:|error:' || true)
  if [ -n "$out" ]; then
    echo "$out"
    status=1
  fi
}
mapfile -t core <<<"$core"
mapfile -t win32 <<<"$win32"
tidy -p build/native "${core[@]}"
tidy -p build/windows "${mingwArgs[@]}" "${win32[@]}"
exit $status
