#!/usr/bin/env bash
# bench/xmltv_bench.sh [RUNS]: `skedtool import` of one channel out of a
# generated 100 MB XMLTV file (200 channels, 75 days of a programme an hour,
# two titles and a description each), 13 days of it, and `skedtool validate`
# of all of it, which must take at most 1.5 times import's CPU time and peak
# memory; then both of hostile documents, each of which must end in under
# 32 MB, within a second (or, for a file of many megabytes, within the time
# `xmllint --stream` takes merely to read it). Prints the median wall and CPU
# seconds and the peak resident memory over RUNS runs (default 3), and fails
# when a limit is passed.
set -euo pipefail
runs=${1:-3}
cd "$(dirname "$0")/.."
build=$(pwd)/build
[ -x "$build/skedtool" ] && [ -x "$build/measure" ] || cmake --workflow --preset default >/dev/null
dir=$build/bench/xmltv
rm -rf "$dir" && mkdir -p "$dir/out"
awk 'BEGIN {
  print "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv>";
  for (c = 0; c < 200; c++) printf "<channel id=\"ch%03d.example\"><display-name>Channel %d</display-name></channel>\n", c, c;
  for (d = 0; d < 75; d++)
    for (c = 0; c < 200; c++)
      for (h = 0; h < 24; h += 1) {
        printf "<programme start=\"2026%02d%02d%02d0000 +0100\" channel=\"ch%03d.example\">", 1 + int(d / 28), 1 + d % 28, h, c;
        printf "<title lang=\"de\">Sendung %d &amp; mehr</title><title lang=\"en\">Show %d</title>", h, h;
        printf "<desc lang=\"de\">Eine Beschreibung von gut hundert Zeichen, damit die Datei so aussieht wie die eines echten Anbieters.</desc></programme>\n";
      }
  print "</tv>";
}' >"$dir/big.xml"
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
: >"$dir/import.times"
: >"$dir/validate.times"
for _ in $(seq "$runs"); do
  "$build/measure" "$build/skedtool" import --tz Europe/Berlin --channel ch100.example \
    --from 2026-01-01 --to 2026-01-14 \
    "$dir/big.xml" "$dir/out" >>"$dir/import.times"
  "$build/measure" "$build/skedtool" validate --tz Europe/Berlin "$dir/big.xml" >>"$dir/validate.times"
done
column() { cut -d' ' -f"$2" "$dir/$1.times" | median; }
big="big.xml ($(($(stat -c %s "$dir/big.xml") / 1000000)) MB)"
printf '%-34s %10s %10s %9s  %s\n' "XMLTV file" wall cpu "peak RSS" "result"
printf '%-34s %9.3fs %9.3fs %6d KB  %s\n' "import, one channel, 13 days" \
  "$(column import 1)" "$(column import 2)" "$(column import 3)" \
  "$("$build/skedtool" dump "$dir/out/ch100.example" | wc -l) programmes imported"
printf '%-34s %9.3fs %9.3fs %6d KB  %s\n' "validate, all of it" \
  "$(column validate 1)" "$(column validate 2)" "$(column validate 3)" \
  "$("$build/skedtool" validate --tz Europe/Berlin "$dir/big.xml" | tail -n 1 | sed 's/.*: //')"
failed=0
read -r cpu_ratio rss_ratio < <(awk -v ic="$(column import 2)" -v vc="$(column validate 2)" \
  -v ir="$(column import 3)" -v vr="$(column validate 3)" 'BEGIN { print vc / ic, vr / ir }')
verdict=met
if awk -v c="$cpu_ratio" -v r="$rss_ratio" 'BEGIN { exit !(c > 1.5 || r > 1.5) }'; then
  verdict="NOT MET"
  failed=1
fi
printf 'validate against import (%s): %.2fx the CPU time, %.2fx the peak memory; goal 1.5x: %s\n' \
  "$big" "$cpu_ratio" "$rss_ratio" "$verdict"

# Hostile documents: entities, titles cut into millions of pieces, huge
# attributes and elements. Each is imported whole (no --channel).
h=$dir/hostile
mkdir -p "$h/out"
head='<?xml version="1.0" encoding="UTF-8"?>'
awk -v head="$head" 'BEGIN {
  printf "%s\n<!DOCTYPE tv [ <!ENTITY big \"", head;
  for (i = 0; i < 1000; i++) printf "xxxxxxxxxx";
  printf "\"> ]>\n<tv>\n<programme start=\"20261207120000\" channel=\"";
  for (i = 0; i < 10000; i++) printf "&big;";
  print "\"/>\n</tv>";
}' >"$h/entity-in-attribute.xml"
awk -v head="$head" 'BEGIN {
  printf "%s\n<!DOCTYPE tv [\n <!ENTITY b0 \"lol\">\n", head;
  for (i = 1; i <= 12; i++) { printf " <!ENTITY b%d \"", i; for (k = 0; k < 10; k++) printf "&b%d;", i - 1; print "\">" }
  print "]>\n<tv>\n<programme start=\"20261207120000\" channel=\"a\"><title>&b12;</title></programme>\n</tv>";
}' >"$h/entity-bomb.xml"
awk -v head="$head" 'BEGIN {
  printf "%s\n<tv>\n<programme start=\"20261207120000\" channel=\"a\"><title>", head;
  for (i = 0; i < 6600000; i++) printf "News <!---->";
  print "</title></programme>\n</tv>";
}' >"$h/title-split-by-comments.xml"
awk -v head="$head" 'BEGIN {
  printf "%s\n<tv>\n<programme start=\"20261207120000\" channel=\"a\">", head;
  for (i = 0; i < 3000000; i++) printf "<title lang=\"de\">News</title>";
  print "</programme>\n</tv>";
}' >"$h/three-million-titles.xml"
awk -v head="$head" 'BEGIN {
  printf "%s\n<tv>\n<programme start=\"20261207120000\" channel=\"a\"><title>", head;
  for (i = 0; i < 100000; i++) {
    for (k = 0; k < 100; k++) printf "yyyyyyyyyy";
    print "";
  }
  print "</title></programme>\n</tv>";
}' >"$h/title-of-100-mb.xml"
awk -v head="$head" 'BEGIN {
  printf "%s\n<tv>\n<programme start=\"20261207120000\" channel=\"a\"", head;
  for (i = 0; i < 1000000; i++) printf " a%d=\"\"", i;
  print "/>\n</tv>";
}' >"$h/million-attributes.xml"
awk -v head="$head" 'BEGIN {
  printf "%s\n<tv>\n<programme start=\"20261207120000\" channel=\"", head;
  for (i = 0; i < 900000; i++) printf "cccccccccc";
  print "\"/>\n</tv>";
}' >"$h/channel-id-of-9-mb.xml"
awk -v head="$head" 'BEGIN {
  printf "%s\n<tv>\n<programme start=\"20261207120000\" channel=\"a\"><title>", head;
  for (i = 0; i < 100000; i++) printf "<b>";
  for (i = 0; i < 100000; i++) printf "</b>";
  print "</title></programme>\n</tv>";
}' >"$h/deep.xml"
awk -v head="$head" 'BEGIN {
  printf "%s\n<tv>\n", head;
  for (i = 0; i < 200000; i++) printf "<programme start=\"20261207120000\" channel=\"c%d\"/>\n", i;
  print "</tv>";
}' >"$h/200000-channels.xml"
printf '\n%-47s %9s %9s %9s %5s %9s\n' "hostile document" wall cpu "peak RSS" exit limit
for run in import validate; do
for file in "$h"/*.xml; do
  if [ "$run" = import ]; then
    read -r wall cpu rss code < <("$build/measure" "$build/skedtool" import --tz UTC "$file" "$h/out" 2>/dev/null)
  else
    read -r wall cpu rss code < <("$build/measure" "$build/skedtool" validate --tz UTC "$file" 2>/dev/null)
  fi
  limit=1
  if [ "$(stat -c %s "$file")" -gt 10000000 ] && command -v xmllint >/dev/null; then
    read -r lint _ < <("$build/measure" xmllint --stream --noout "$file" 2>/dev/null)
    limit=$(awk -v l="$lint" 'BEGIN { print (l > 1) ? l : 1 }')
  fi
  verdict=
  if awk -v w="$wall" -v l="$limit" -v r="$rss" 'BEGIN { exit !(w > l || r >= 32768) }'; then
    verdict="  OVER THE LIMIT"
    failed=1
  fi
  printf '%-47s %8.3fs %8.3fs %6d KB %5s %8.3fs%s\n' \
    "$run $(basename "$file") ($(($(stat -c %s "$file") / 1000)) kB)" "$wall" "$cpu" "$rss" \
    "$code" "$limit" "$verdict"
  rm -f "$h"/out/*
done
done
exit "$failed"
