#!/usr/bin/env bash
# bench/xmltv_bench.sh [RUNS]: `skedtool import` of one channel out of a
# generated 100 MB XMLTV file (200 channels, 75 days of a programme an hour,
# two titles and a description each), 13 days of it. Prints the median wall and CPU
# seconds and the peak resident memory over RUNS runs (default 3).
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
for _ in $(seq "$runs"); do
  "$build/measure" "$build/skedtool" import --tz Europe/Berlin --channel ch100.example \
    --from 2026-01-01 --to 2026-01-14 \
    "$dir/big.xml" "$dir/out" >>"$dir/import.times"
done
printf '%-28s %10s %10s %9s  %s\n' "XMLTV file" wall cpu "peak RSS" "programmes imported"
printf '%-28s %9.3fs %9.3fs %6d KB  %s\n' "big.xml ($(($(stat -c %s "$dir/big.xml") / 1000000)) MB)" \
  "$(cut -d' ' -f1 "$dir/import.times" | median)" "$(cut -d' ' -f2 "$dir/import.times" | median)" \
  "$(cut -d' ' -f3 "$dir/import.times" | median)" "$("$build/skedtool" dump "$dir/out/ch100.example" | wc -l)"
