# Kerrow against the floor (floor.cpp), alternating the two in one Wine
# desktop on a 1,000-line link.dat:
#   floor_compare.sh KERROW.EXE FLOOR.EXE PROBE.EXE XLATENCY ALTERNATIONS ROUNDS
#     [KERROW_CENSUS.EXE FLOOR_CENSUS.EXE]
# Needs the DISPLAY and WINEPREFIX of a Wine session (scripts/lib/wine-session.sh).
# For each program in each alternation: start-up (probe.cpp start), private
# memory after start-up and after ROUNDS rounds of Alt+Space, a typed key and
# Escape, timed from the X side (xlatency.cpp); then one more start of each
# from a folder whose link.dat is empty, for its private memory after
# start-up. Prints a table of medians, spreads and ratios; the raw figures
# stay in $KERROW_PERF_DATA (and those of every round in
# $KERROW_PERF_DATA.rounds) if it is set. Exits with 1 when Kerrow's private
# memory after start-up is more than 1.02 times the floor's with the empty
# link.dat, or more than 1.05 times with the 1,000 lines: beyond the table,
# Kerrow is to cost no more than the floor. With the census programs
# (heap_census.cpp), it then starts each once from both folders and prints
# the heap blocks they hold after start-up.
set -euo pipefail
source "$(dirname "$0")/../scripts/lib/kerrow-x.sh"

KERROW_EXE=$(realpath "$1")
FLOOR_EXE=$(realpath "$2")
PROBE=$(realpath "$3")
XLATENCY=$(realpath "$4")
ALTERNATIONS=$5
ROUNDS=$6
KERROW_CENSUS=${7:+$(realpath "$7")}
FLOOR_CENSUS=${8:+$(realpath "$8")}
# Both programs show the small icon of this file for the typed key.
TARGET='C:\windows\notepad.exe'
KEY=n

WORK=$(mktemp -d /tmp/kerrow-floor.XXXXXX)
KEEPER=
cleanup() {
  [ -z "$KEEPER" ] || kill "$KEEPER" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT
APP=$WORK/app
EMPTY=$WORK/empty
DATA=${KERROW_PERF_DATA:-$WORK/figures.txt}
ROUND_DATA=$DATA.rounds
mkdir -p "$APP" "$EMPTY"
: >"$DATA"
: >"$ROUND_DATA"
: >"$EMPTY/link.dat"
for dir in "$APP" "$EMPTY"; do
  cp "$KERROW_EXE" "$dir/kerrow.exe"
  cp "$FLOOR_EXE" "$dir/floor.exe"
done
# Bounds of Kerrow's private memory after start-up over the floor's.
MEMORY_BOUND_EMPTY=1.02
MEMORY_BOUND_TABLE=1.05

# median, quartiles, minimum and maximum of the numbers on stdin
stats() {
  sort -n | awk '{ v[NR] = $1 }
    END { printf "%d %d %d %d %d\n", v[int((NR + 1) / 2)], v[int((NR + 3) / 4)],
      v[int((3 * NR + 3) / 4)], v[1], v[NR] }'
}

# 999 entries with three-letter keys and the measured key in the middle.
KEY=$KEY TARGET=$TARGET awk 'BEGIN {
  key = ENVIRON["KEY"]; target = ENVIRON["TARGET"]
  for (i = 0; i < 999; i++) {
    if (i == 500) printf "%s\t%s\r\n", key, target
    k = sprintf("%c%c%c", 65 + int(i / 676) % 26, 65 + int(i / 26) % 26, 65 + i % 26)
    printf "%s\tC:\\Program Files\\Tool %d\\tool.exe\t--profile=%d --quiet\r\n", k, i, i
  }
}' >"$APP/link.dat"
[ "$(wc -l <"$APP/link.dat")" -eq 1000 ] || fail "link.dat is not 1,000 lines"

# One desktop for the whole run: the keeper holds it open between programs.
wine_keep_desktop "$PROBE" "$WORK"

# measure NAME EXE TITLE CLASS ROUNDS [ARG...]: one start, the rounds and a close.
measure() {
  local name=$1 exe=$2 title=$3 class=$4 rounds=$5 pid
  shift 5
  # Kerrow saves the popup's placement at close, as shown (the popup's show
  # state, not whether it is visible) and would then start shown: each start
  # is a first one, hidden like the floor's.
  rm -f "$APP/Kerrow.ini"
  (cd "$APP" && wine "$PROBE" start "$(wine_path "$APP/$exe")" "$@" </dev/null \
    >"$WORK/start.txt" 2>&1) || fail "$name did not start: $(tr -d '\r' <"$WORK/start.txt")"
  echo "$name startup_us $(tr -d '\r' <"$WORK/start.txt" | sed -n 's/^startup_us=//p')" >>"$DATA"
  pid=$(wine_pids "$exe")
  [ "$(wc -w <<<"$pid")" -eq 1 ] || fail "not one $exe process: '$pid'"
  echo "$name private_start_kib $(wine_private_kib "$pid")" >>"$DATA"
  # The first round apart: under Wine the first activation of a window loads
  # COM into the process (its input method support does).
  "$XLATENCY" 1 "$title" "$KEY" >"$WORK/rounds.txt" || fail "$name: xlatency failed"
  echo "$name private_first_kib $(wine_private_kib "$pid")" >>"$DATA"
  "$XLATENCY" $((rounds - 1)) "$title" "$KEY" >>"$WORK/rounds.txt" || fail "$name: xlatency failed"
  awk -v n="$name" '{ print n, "visible_us", $2; print n, "icon_us", $3 }' \
    "$WORK/rounds.txt" >"$WORK/round_figures.txt"
  cat "$WORK/round_figures.txt" >>"$ROUND_DATA"
  # A round figure per alternation: the median of its rounds.
  for metric in visible_us icon_us; do
    echo "$name $metric $(grep " $metric " "$WORK/round_figures.txt" | cut -d' ' -f3 | stats |
      cut -d' ' -f1)" >>"$DATA"
  done
  echo "$name private_rounds_kib $(wine_private_kib "$pid")" >>"$DATA"
  wine "$PROBE" close "$class" </dev/null >/dev/null 2>&1 || fail "$name did not close"
}

# measure_empty NAME EXE CLASS [ARG...]: one start from the folder with the
# empty link.dat, its private memory after start-up, and a close.
measure_empty() {
  local name=$1 exe=$2 class=$3 pid
  shift 3
  rm -f "$EMPTY/Kerrow.ini"
  (cd "$EMPTY" && wine "$PROBE" start "$(wine_path "$EMPTY/$exe")" "$@" </dev/null \
    >"$WORK/start.txt" 2>&1) || fail "$name did not start: $(tr -d '\r' <"$WORK/start.txt")"
  pid=$(wine_pids "$exe")
  [ "$(wc -w <<<"$pid")" -eq 1 ] || fail "not one $exe process: '$pid'"
  echo "$name private_empty_kib $(wine_private_kib "$pid")" >>"$DATA"
  wine "$PROBE" close "$class" </dev/null >/dev/null 2>&1 || fail "$name did not close"
}

for alternation in $(seq 1 "$ALTERNATIONS"); do
  measure kerrow kerrow.exe "Kerrow by Pellam" Kerrow_Window "$ROUNDS"
  measure floor floor.exe Floor Floor_Window "$ROUNDS" "$TARGET"
  # Only to tell what focusing the box at start-up costs: no ratio is taken.
  measure focused floor.exe Floor Floor_Window 1 /focus "$TARGET"
  measure_empty kerrow kerrow.exe Kerrow_Window
  measure_empty floor floor.exe Floor_Window "$TARGET"
  echo "-- alternation $alternation of $ALTERNATIONS: $(tail -n 20 "$DATA" | awk '$1 != n { printf "\n  %s:", $1; n = $1 } { printf " %s=%s", $2, $3 }')"
done

figures() { awk -v n="$1" -v m="$2" '$1 == n && $2 == m { print $3 }' "${3:-$DATA}" | stats; }

# The table: times in milliseconds, memory in KiB; a figure is "median
# (quartiles; range)" over the alternations.
label() {
  case $1 in
    startup_us) echo "1. start-up until Alt+Space is taken (ms)" ;;
    visible_us) echo "2. Alt+Space X key event to popup mapped (ms)" ;;
    icon_us) echo "3. typed key X event to icon painted (ms)" ;;
    private_start_kib) echo "4a. private memory after start-up (KiB)" ;;
    private_first_kib) echo "4b. private memory after the first round (KiB)" ;;
    private_rounds_kib) echo "4c. private memory after $ROUNDS rounds (KiB)" ;;
    private_empty_kib) echo "4d. private memory after start-up, empty link.dat (KiB)" ;;
  esac
}
cell() {
  awk -v unit="$1" '{ d = unit == "us" ? 1000 : 1; f = unit == "us" ? "%.1f" : "%d"
    printf f " (" f "-" f "; " f "-" f ")", $1 / d, $2 / d, $3 / d, $4 / d, $5 / d }'
}
echo
echo "$ALTERNATIONS alternations of Kerrow and the floor, $ROUNDS rounds each; a latency figure of"
echo "an alternation is the median of its rounds."
echo
echo "| measure | Kerrow | floor | ratio | floor focusing its box at start |"
echo "|---|---|---|---|---|"
# row LABEL METRIC [FILE]: Kerrow, the floor, their ratio and then $FOCUSED.
row() {
  local unit=${2##*_} kerrow floor ratio
  kerrow=$(figures kerrow "$2" "${3:-$DATA}")
  floor=$(figures floor "$2" "${3:-$DATA}")
  ratio=$(awk -v k="${kerrow%% *}" -v f="${floor%% *}" 'BEGIN { printf "%.2f", k / f }')
  echo "| $1 | $(cell "$unit" <<<"$kerrow") | $(cell "$unit" <<<"$floor") | $ratio | $FOCUSED |"
}
for metric in startup_us visible_us icon_us private_start_kib private_first_kib private_rounds_kib \
  private_empty_kib; do
  FOCUSED=-
  case $metric in
    startup_us | private_start_kib) FOCUSED=$(figures focused "$metric" | cell "${metric##*_}") ;;
  esac
  row "$(label "$metric")" "$metric"
  FOCUSED=-
  case $metric in
    visible_us | icon_us) row "the same, all rounds pooled" "$metric" "$ROUND_DATA" ;;
  esac
done

# census NAME EXE CLASS DIR [ARG...]: one start from DIR of a census program
# and a close, on which it writes its census.
census() {
  local name=$1 exe=$2 class=$3 dir=$4
  shift 4
  rm -f "$dir/census.txt" "$dir/Kerrow.ini"
  (cd "$dir" && wine "$PROBE" start "$(wine_path "$dir/$exe")" "$@" </dev/null \
    >"$WORK/start.txt" 2>&1) || fail "$name did not start: $(tr -d '\r' <"$WORK/start.txt")"
  wine "$PROBE" close "$class" </dev/null >/dev/null 2>&1 || fail "$name did not close"
  [ -s "$dir/census.txt" ] || fail "$name wrote no census"
  echo "$name, $([ "$dir" = "$EMPTY" ] && echo "empty link.dat" || echo "1,000 lines"):"
  tr -d '\r' <"$dir/census.txt" | sed 's/^/    /'
}
if [ -n "$KERROW_CENSUS" ]; then
  echo
  echo "Heap blocks after start-up (heap_census.cpp):"
  for dir in "$EMPTY" "$APP"; do
    cp "$KERROW_CENSUS" "$dir/kerrow_census.exe"
    cp "$FLOOR_CENSUS" "$dir/floor_census.exe"
    census Kerrow kerrow_census.exe Kerrow_Window "$dir"
    census floor floor_census.exe Floor_Window "$dir" "$TARGET"
  done
fi

# The gate: the medians' ratios of private memory after start-up.
ratio_of() {
  awk -v k="$(figures kerrow "$1" | cut -d' ' -f1)" -v f="$(figures floor "$1" | cut -d' ' -f1)" \
    'BEGIN { printf "%.3f", k / f }'
}
empty_ratio=$(ratio_of private_empty_kib)
table_ratio=$(ratio_of private_start_kib)
echo
echo "Private memory after start-up against the floor: $empty_ratio with an empty link.dat" \
  "(bound $MEMORY_BOUND_EMPTY), $table_ratio with the 1,000 lines (bound $MEMORY_BOUND_TABLE)."
awk -v e="$empty_ratio" -v t="$table_ratio" -v be="$MEMORY_BOUND_EMPTY" -v bt="$MEMORY_BOUND_TABLE" \
  'BEGIN { exit !(e <= be && t <= bt) }' || {
  echo "FAIL: Kerrow's private memory is over its bound against the floor" >&2
  exit 1
}
