#!/usr/bin/env bash
# bench/check_bench.sh [RUNS]: `skedtool check` over a 10 MB composition file
# built to be as hard on it as a file can be: one key of 16,000 overlapping
# ranges (128 million pairs), one of a million ranges that take nothing, and
# 80,000 distinct unknown keys, over a channel of 400 programmes. Prints the
# median wall and CPU seconds and peak resident memory over RUNS runs
# (default 5), and how long the report is. Then files of many sections and
# keys, for skedcomp and check once each: their peak memory must stay within
# four times the file's size plus 8 MB (the script fails otherwise), and the
# report short.
set -euo pipefail
runs=${1:-5}
cd "$(dirname "$0")/.."
build=$(pwd)/build
[ -x "$build/skedtool" ] && [ -x "$build/measure" ] && [ -x "$build/make_workload" ] ||
  cmake --workflow --preset default >/dev/null
dir=$build/bench/check
rm -rf "$dir" && mkdir -p "$dir"
"$build/make_workload" channels "$dir" >/dev/null
awk 'BEGIN {
  printf "[ch000]\nrange1=";
  for (i = 0; i < 16000; i++) printf "%d:%02d-23:00,", i % 20, i % 60;
  printf "\nrange2=";
  for (i = 0; i < 1000000; i++) printf "0:0-0:0,";
  printf "\n";
  for (i = 0; i < 80000; i++) printf "key%d=x\n", i;
}' >"$dir/hard.cfg"
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
: >"$dir/check.times"
for _ in $(seq "$runs"); do
  (cd "$dir" && "$build/measure" "$build/skedtool" check hard) >>"$dir/check.times" || true
done
lines=$(cd "$dir" && "$build/skedtool" check hard | wc -l) || true
printf '%-22s %10s %10s %9s %13s\n' "composition" wall cpu "peak RSS" "report lines"
printf '%-22s %9.3fs %9.3fs %6d KB %13d\n' "hard.cfg ($(($(stat -c %s "$dir/hard.cfg") / 1000000)) MB)" \
  "$(cut -d' ' -f1 "$dir/check.times" | median)" "$(cut -d' ' -f2 "$dir/check.times" | median)" \
  "$(cut -d' ' -f3 "$dir/check.times" | median)" "$lines"

awk 'BEGIN { for (i = 0; i < 1000000; i++) printf "[s%d]\n", i }' >"$dir/sections.cfg"
awk 'BEGIN { for (i = 0; i < 2500000; i++) print "[a]" }' >"$dir/same.cfg"
# Four million sections naming one base that is there (empty: nothing overflows).
: >"$dir/empty.ndx"
: >"$dir/empty.pdt"
awk 'BEGIN { for (i = 0; i < 4000000; i++) print "[empty]" }' >"$dir/onebase.cfg"
awk 'BEGIN { print "[a]"; for (i = 0; i < 5000000; i++) printf "key%d=v\n", i }' >"$dir/keys.cfg"
printf '\n%-24s %-9s %9s %9s %10s %13s\n' "composition" program wall "peak RSS" "RSS limit" "report bytes"
failed=0
for name in sections same onebase keys; do
  size=$(stat -c %s "$dir/$name.cfg")
  limit=$((size * 4 / 1024 + 8192))
  for program in skedcomp check; do
    if [ $program = check ]; then command=("$build/skedtool" check "$name"); else command=("$build/skedcomp" "$name"); fi
    read -r wall _ rss _ < <(cd "$dir" && "$build/measure" "${command[@]}")
    bytes=$(cd "$dir" && "${command[@]}" 2>/dev/null | wc -c) || true
    verdict=
    if [ "$rss" -gt "$limit" ]; then verdict="  OVER THE LIMIT"; failed=1; fi
    printf '%-24s %-9s %8.3fs %6d KB %7d KB %13d%s\n' "$name.cfg ($((size / 1000000)) MB)" "$program" \
      "$wall" "$rss" "$limit" "$bytes" "$verdict"
  done
done
exit "$failed"
