#!/usr/bin/env bash
# Checks formatting (clang-format) and runs clang-tidy over the text core
# (native build) and the Win32 sources (as the MinGW i686 build sees them).
# Needs the native and windows presets configured.
set -euo pipefail
cd "$(dirname "$0")/.."

status=0
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
for f in "${sources[@]}"; do
  if ! clang-format "$f" | cmp -s - "$f"; then
    echo "not formatted: $f"
    status=1
  fi
done

gccInclude=/usr/lib/gcc/i686-w64-mingw32/12-posix/include/c++
mingwArgs=(--extra-arg=--target=i686-w64-mingw32 "--extra-arg=-isystem$gccInclude"
  "--extra-arg=-isystem$gccInclude/i686-w64-mingw32")
tidy() {
  local out
  out=$(clang-tidy --quiet "$@" 2>/dev/null | grep -E 'warning:|error:' || true)
  if [ -n "$out" ]; then
    echo "$out"
    status=1
  fi
}
tidy -p build/native src/table/shortcut_table.cpp src/commands/command_text.cpp
tidy -p build/windows "${mingwArgs[@]}" $(git ls-files 'src/*.cpp' | grep -v -E 'shortcut_table|command_text')
exit $status
