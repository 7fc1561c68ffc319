#!/usr/bin/env bash
# bench/publish.sh [ROUNDS]: publishes two XMLTV documents in turn, ROUNDS
# times (default 1000), with `skedtool export --output`, while a reader reads
# the published file in a loop, as a player polling it would. Prints the
# rounds, the reads, and the reads that were not one document whole (0 is
# the promise).
set -euo pipefail
rounds=${1:-1000}
# shellcheck source=bench/programs.sh
. "$(dirname "$0")/programs.sh"
cd "$work"
for b in 0 1; do
  for day in 07:Mon 08:Tue 09:Wed 10:Thu 11:Fri 12:Sat 13:Sun; do
    for hour in 06 09 12 15 18 21; do
      printf '2026-12-%s\t%s:3%s\t%s\tProgramme %s\n' "${day%:*}" "$hour" "$b" "${day#*:}" "$hour"
    done
  done >"b$b.listing"
  "$skedtool" make "b$b" "b$b.listing" >/dev/null
  "$skedtool" export --tz UTC "b$b" >"b$b.xml"
done
"$skedtool" export --tz UTC --output guide.xml b1 >/dev/null
: >reads
(
  while [ ! -e stop ]; do
    cat guide.xml >seen 2>/dev/null || continue
    if cmp -s seen b0.xml || cmp -s seen b1.xml; then echo whole; else echo torn; fi
  done >reads
) &
reader=$!
for ((round = 0; round < rounds; ++round)); do
  "$skedtool" export --tz UTC --output guide.xml "b$((round % 2))" >/dev/null
done
touch stop
wait "$reader"
echo "rounds: $rounds  reads: $(wc -l <reads)  not whole: $(grep -c torn reads || true)"
