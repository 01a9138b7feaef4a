#!/usr/bin/env bash
# The release zip holds the two programs, the sample link.dat and README.txt,
# and nothing else, and SHA256SUMS beside it matches it.
# Usage: package_test.sh CMAKE BUILD_DIR
set -uo pipefail
"$1" --build "$2" --target release >/dev/null || { echo "FAIL: the release target failed"; exit 1; }
cd "$2" || exit 1
listing=$("$1" -E tar tf kerrow-*.zip | sort | tr '\n' ' ')
echo "$(ls kerrow-*.zip): $listing"
[ "$listing" = "README.txt kerrow-check.exe kerrow.exe link.dat " ] || { echo "FAIL: unexpected contents"; exit 1; }
sha256sum -c SHA256SUMS
