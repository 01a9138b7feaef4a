#!/usr/bin/env bash
# The programs must ask Windows for every protection it offers a PE file:
# address-space layout randomisation (dynamic base, relocations kept), DEP
# (NX compatible), high-entropy addresses on x86_64, terminal-server aware,
# and no section both writable and executable.
# Usage: pe_flags_test.sh OBJDUMP EXE...
set -uo pipefail

objdump=$1
shift
status=0
fail() {
  echo "FAIL: $1"
  status=1
}
for exe in "$@"; do
  name=$(basename "$exe")
  headers=$("$objdump" -p "$exe") || { fail "$name: headers not read"; continue; }
  flags=$(sed -n '/^DllCharacteristics/,/^SizeOf/p' <<<"$headers")
  required="DYNAMIC_BASE NX_COMPAT TERMINAL_SERVICE_AWARE"
  grep -q 'file format pei-x86-64' <<<"$headers" && required+=" HIGH_ENTROPY_VA"
  for flag in $required; do
    grep -qw "$flag" <<<"$flags" || fail "$name lacks $flag"
  done
  grep -Eq '^Entry 5 [0-9a-f]+ 0*[1-9a-f][0-9a-f]* Base Relocation' <<<"$headers" \
    || fail "$name has no relocations to move it by"
  # objdump -h says CODE for an executable section and READONLY when it is not writable.
  for section in $("$objdump" -h "$exe" | awk '/^ *[0-9]+ /{s=$2} /CODE/ && !/READONLY/{print s}'); do
    fail "$name: section $section is writable and executable"
  done
  echo "$name: $(sed -n '2,$p' <<<"$flags" | grep -v '^SizeOf' | tr -s ' \t\n' ' ')"
done
exit $status
