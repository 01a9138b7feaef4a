# link.dat rewritten over and over, in place, while Kerrow runs from its own
# directory (so every write wakes its change watch) and is shown and hidden
# 50 times: it must neither crash nor hang, and once the writing stops the
# last content's key must run.
source "$(dirname "$0")/../e2e/lib.sh"
source "$(dirname "$0")/perf_lib.sh"

cp "$KERROW_EXE" "$APP/kerrow.exe"
write_links "rl	#reload"
start_kerrow "$APP/kerrow.exe"
step "a writer rewrites link.dat without pause"
( i=0
  while [ ! -e "$OUT/stop" ]; do
    i=$((i + 1))
    { printf 'rl\t#reload\n'; seq 1 $((i % 2000)) | sed "s/.*/k& C:\\\\p\\\\&.exe/"
      printf 'rec\t%s\tround%d\n' "$RECORDER" "$i"; } >"$APP/link.dat"
  done
  echo "$i" >"$OUT/writes" ) &
WRITER=$!
for round in $(seq 1 50); do
  show_popup
  press Escape
  expect_hidden
done
touch "$OUT/stop"
wait "$WRITER"
step "$(cat "$OUT/writes") writes; the last content is read"
write_links "rl	#reload" "fin	$RECORDER	final"
show_popup
type_text "fin"
# The watch usually has it by now; #reload makes sure without depending on it.
if inspect expect 5 text=FIN icon=painted >/dev/null; then
  echo "   the change watch had the last content"
else
  echo "   the change watch missed the last write"
fi
press BackSpace BackSpace BackSpace
reload_links
type_key fin painted
press Return
expect_recorded 1 final
stop_kerrow
