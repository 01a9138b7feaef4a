# Sourced by scripts/robustness.sh, not run: the figures its scenarios give
# (figure, bounded), a scenario's failure as the table names it (fail_also,
# after scripts/lib/fail.sh's fail), the machine's load, and the table
# (report).

results=$work/results.tsv
: >"$results"

# figure ROW FIGURE TEXT: a figure of the build under way, for the table.
figure() { printf '%s\t%s\t%s\t%s\t%s\n' "$ARCH" "$1" "$2" "$3" "${4:-}" >>"$results"; }

# bounded ROW FIGURE UNIT VALUE MAX [BOUND]: a figure that must not be over
# MAX (UNIT kib, ms or n), which the table shows as BOUND if given; fails
# naming it when it is.
bounded() {
  local shown bound
  shown=$(show_value "$3" "$4") bound=$(show_value "$3" "$5")
  figure "$1" "$2" "$shown" "${6:-$bound}"
  echo "   $1, $2: $shown (bound $bound)"
  [ "$4" -le "$5" ] || fail "$1, $2: $shown, over the bound $bound"
}
show_value() {
  case $1 in
    kib) awk -v v="$2" 'BEGIN { printf "%.1f MiB", v / 1024 }' ;;
    ms) awk -v v="$2" 'BEGIN { printf "%.2f s", v / 1000 }' ;;
    *) echo "$2" ;;
  esac
}

# A scenario's failure: named on stderr and in the table.
fail_also() { echo "$1" >"$DIR/failure"; }

load() { cut -d' ' -f1 /proc/loadavg; }
# The CPUs' busy share since the counters in $1 (the first line of /proc/stat).
busy_since() {
  awk -v before="$1" 'NR == 1 { split(before, b); for (i = 2; i <= 9; i++) { d = $i - b[i]; all += d
    if (i != 5 && i != 6) busy += d } printf "%d%%", 100 * busy / all }' /proc/stat
}

# report: the table of the figures, with the date, the machine, the load and
# the builds, as docs/performance.md shows it.
report() {
  local machine ARCH preset
  machine="$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1), $(nproc) cores,"
  machine+=" Linux $(uname -r), $(wine --version)"
  echo
  echo "Robustness of kerrow.exe, $mode run (scripts/robustness.sh$([ "$mode" = full ] || echo " --$mode"))"
  echo
  echo "- Date: $started, commit $commit"
  echo "- Machine: $machine"
  echo "- Load: load average $loadBefore at the start, $(load) at the end; the CPUs $(busy_since "$statBefore")" \
    "busy over the run (every process on the machine)"
  for ARCH in "${builds[@]}"; do
    preset=$(preset_of "$ARCH")
    echo "- Build $ARCH: build/$preset/kerrow.exe, $(stat -c %s "$root/build/$preset/kerrow.exe") bytes" \
      "(MinGW-w64, Release, static)"
  done
  echo "- kerrow-check: build/bench/kerrow-check (host g++, Release)"
  echo
  awk -F'\t' -v builds="${builds[*]} native" '
    BEGIN { n = split(builds, arch, " ") }
    { key = $2 "\t" $3; if (!(key in seen)) { seen[key] = 1; order[++rows] = key }
      value[$1, key] = $4; if ($5 != "") bound[key] = $5 }
    END {
      printf "| scenario | figure |"; for (i = 1; i < n; i++) printf " %s |", arch[i]; print " bound |"
      printf "|---|---|"; for (i = 1; i < n; i++) printf "---|"; print "---|"
      for (r = 1; r <= rows; r++) {
        split(order[r], part, "\t"); line = "| " part[1] " | " part[2] " |"
        for (i = 1; i < n; i++) {
          if ((arch[n], order[r]) in value) v = i == 1 ? value[arch[n], order[r]] " (native)" : ""
          else v = (arch[i], order[r]) in value ? value[arch[i], order[r]] : "-"
          line = line " " v " |"
        }
        print line " " bound[order[r]] " |"
      }
    }' "$results"
}
