#!/usr/bin/env bash
# The release zip holds the two programs, the sample link.dat and the README,
# and nothing else. Packs the built tree into a scratch folder.
# Usage: package_test.sh CPACK CMAKE CPACK_CONFIG
set -euo pipefail

cpack=$1
cmake=$2
config=$3
dir=$(mktemp -d /tmp/kerrow-package.XXXXXX)
trap 'rm -rf "$dir"' EXIT

if ! "$cpack" --config "$config" -B "$dir" >"$dir/cpack.log" 2>&1; then
  cat "$dir/cpack.log"
  echo "FAIL: cpack could not make the zip"
  exit 1
fi
zip=$(find "$dir" -maxdepth 1 -name 'kerrow-*.zip')
[ -n "$zip" ] || { echo "FAIL: no kerrow-*.zip made"; exit 1; }
listing=$("$cmake" -E tar tf "$zip" | sort | tr '\n' ' ')
echo "$(basename "$zip"): $listing"
[ "$listing" = "README.md kerrow-check.exe kerrow.exe link.dat " ] || { echo "FAIL: unexpected contents"; exit 1; }
