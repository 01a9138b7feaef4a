# Hostile link files: Kerrow must start, answer Alt+Space and resolve the
# valid lines a file holds, with its private memory under a stated bound.
# Reports how long each file takes to load (start until the message loop runs).
source "$(dirname "$0")/../e2e/lib.sh"
source "$(dirname "$0")/perf_lib.sh"

mib=1048576
line() { printf '%s\t%s\t%s\n' "$1" "$RECORDER" "$2"; }
launches=0

# try NAME MAX_PRIVATE_KIB [KEY ARG]...: starts Kerrow on $APP/link.dat; every
# KEY must paint its icon and the last one must run the recorder with ARG.
# Without keys, a made-up key must resolve to nothing.
try() {
  local name=$1 bound=$2 started
  shift 2
  step "$name ($(stat -c %s "$APP/link.dat") bytes)"
  # The time counts from Wine starting Kerrow, not from the last desktop closing.
  wait_for 15 no_desktop || true
  started=$(now_ms)
  start_measured
  echo "   up after $(($(now_ms) - started)) ms"
  show_popup
  if [ $# -eq 0 ]; then
    type_text "good"
    expect 10 text=GOOD icon=grey
    press Escape
  fi
  while [ $# -ge 2 ]; do
    type_key "$1" painted
    if [ $# -eq 2 ]; then
      press Return
      launches=$((launches + 1))
      expect_recorded "$launches" "$2"
    else
      press BackSpace BackSpace BackSpace BackSpace
    fi
    shift 2
  done
  check_bound "private KiB" "$(private_kib)" "$bound"
  stop_kerrow
}

write_links "good	$RECORDER	small"
try "a small file, for comparison" $((16 * 1024)) good small

# 50 MB of random bytes without Ctrl-Z (which would end the data at once),
# valid lines at the start, in the middle and at the end.
{ line good start; head -c $((25 * mib)) /dev/urandom | tr -d '\032'; printf '\n'; line mid middle
  head -c $((25 * mib)) /dev/urandom | tr -d '\032'; printf '\n'; line end end; } >"$APP/link.dat"
try "50 MB of random bytes" $((64 * 1024)) good start mid middle end end

{ printf 'long\t'; head -c $((10 * mib)) /dev/zero | tr '\0' x; printf '\n'; line good after; } >"$APP/link.dat"
try "one line of 10 MB" $((40 * 1024)) good after

{ seq 1 999999 | sed 's/.*/k& C:\\p\\&.exe/'; line good last; } >"$APP/link.dat"
try "1,000,000 short lines" $((160 * 1024)) good last

# No entries in these: a typed key resolves to nothing.
line good utf16 | iconv -f ASCII -t UTF-16LE >"$APP/link.dat"
try "UTF-16 without BOM" $((16 * 1024))
{ printf '\xff\xfe'; line good utf16 | iconv -f ASCII -t UTF-16LE; } >"$APP/link.dat"
try "UTF-16 with BOM" $((16 * 1024))
head -c $mib /dev/zero >"$APP/link.dat"
try "only NULs" $((16 * 1024))
head -c $mib /dev/zero | tr '\0' '\032' >"$APP/link.dat"
try "only Ctrl-Z" $((16 * 1024))
