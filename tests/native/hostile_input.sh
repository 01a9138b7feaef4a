#!/usr/bin/env bash
# kerrow-check on hostile link files: it must neither crash nor hang, its
# memory must stay bounded, and the valid lines a file has must be loaded.
# Usage: hostile_input.sh KERROW_CHECK
set -euo pipefail
check=$1
dir=$(mktemp -d /tmp/kerrow-hostile.XXXXXX)
trap 'rm -rf "$dir"' EXIT
failures=0

# Runs the checker on one file within a deadline; sets status and peak (KiB).
run() {
  local file=$1
  status=0
  # A small quarantine: freed memory held back by the sanitizer is not ours.
  ASAN_OPTIONS=quarantine_size_mb=16 timeout 120 /usr/bin/time -f %M -o "$dir/rss" "$check" "$file" >"$dir/out" 2>"$dir/err" || status=$?
  peak=$(tail -n 1 "$dir/rss")
}

# expect NAME FILE MAX_RSS_KIB [KEY VALUE]...: exit 0 or 1, within the bound,
# and each KEY<TAB>VALUE in the table.
expect() {
  local name=$1 file=$2 bound=$3
  shift 3
  run "$file"
  local problem=""
  [ "$status" -le 1 ] || problem="exit $status ($(head -c 300 "$dir/err"))"
  [ "$peak" -le "$bound" ] || problem="$problem peak ${peak} KiB over ${bound} KiB"
  while [ $# -ge 2 ]; do
    grep -qxF "$1"$'\t'"$2" "$dir/out" || problem="$problem entry $1 missing"
    shift 2
  done
  if [ -n "$problem" ]; then
    echo "FAIL $name: $problem"
    failures=$((failures + 1))
  else
    echo "ok   $name: exit $status, peak $peak KiB, $(wc -l <"$dir/out") entries"
  fi
}

mib=1048576
valid=$'GOOD\tC:\\Tools\\good.exe\t-a\nSECO\tC:\\second.exe\n'

# 50 MB of random bytes (without Ctrl-Z, which would end the data at once)
# with valid lines at the start, in the middle and at the end.
{ printf '%s' "$valid"; head -c $((25 * mib)) /dev/urandom | tr -d '\032'; printf '\nMID\tC:\\mid.exe\n'
  head -c $((25 * mib)) /dev/urandom | tr -d '\032'; printf '\nEND\tC:\\end.exe'; } >"$dir/random"
expect "50 MB of random bytes" "$dir/random" $((400 * 1024)) GOOD 'C:\Tools\good.exe	-a' MID 'C:\mid.exe' END 'C:\end.exe'

# One line of 10 MB, then a valid one.
{ printf 'LONG\t'; head -c $((10 * mib)) /dev/zero | tr '\0' x; printf '\n%s' "$valid"; } >"$dir/long"
expect "one line of 10 MB" "$dir/long" $((160 * 1024)) GOOD 'C:\Tools\good.exe	-a' SECO 'C:\second.exe'

# 1,000,000 short lines (24 MB). Under the sanitizers the checker peaks at
# about 310 MB; it held 570 MB when it kept every key twice and every finding.
seq 1 1000000 | sed 's/.*/k& C:\\p\\&.exe/' >"$dir/many"
expect "1,000,000 short lines" "$dir/many" $((400 * 1024)) K1 'C:\p\1.exe' K1000000 'C:\p\1000000.exe'

# UTF-16, with and without a byte-order mark: no entries, and no crash.
printf 'N\tC:\\notepad.exe\r\n' | iconv -f ASCII -t UTF-16LE >"$dir/utf16"
{ printf '\xff\xfe'; cat "$dir/utf16"; } >"$dir/utf16bom"
expect "UTF-16 without BOM" "$dir/utf16" $((64 * 1024))
expect "UTF-16 with BOM" "$dir/utf16bom" $((64 * 1024))
head -c $mib /dev/zero >"$dir/nuls"
expect "only NULs" "$dir/nuls" $((64 * 1024))
head -c $mib /dev/zero | tr '\0' '\032' >"$dir/ctrlz"
expect "only Ctrl-Z" "$dir/ctrlz" $((64 * 1024))

for f in utf16 utf16bom nuls ctrlz; do
  run "$dir/$f"
  if [ -s "$dir/out" ]; then
    echo "FAIL $f: entries from a file that holds none"
    failures=$((failures + 1))
  fi
done

[ "$failures" -eq 0 ]
