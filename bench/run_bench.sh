#!/usr/bin/env bash
# bench/run_bench.sh [RUNS]: builds the default preset if needed, makes each
# workload (bench/make_workload.cc) in build/bench/KIND, and runs the composer
# and the I/O floor (bench/io_floor.cc: the same input files read in full,
# files of the same sizes as the outputs written) alternately RUNS times
# (default 9). Prints, per workload, the median wall and CPU seconds of both,
# their ratios, and the composer's median peak resident memory.
set -euo pipefail
runs=${1:-9}
cd "$(dirname "$0")/.."
root=$(pwd)
build=$root/build
[ -x "$build/skedcomp" ] && [ -x "$build/io_floor" ] || cmake --workflow --preset default >/dev/null

# shellcheck source=bench/floor_runs.sh
. "$root/bench/floor_runs.sh"
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

printf '%-9s %12s %12s %12s %12s %7s %7s %9s  %s\n' workload "comp wall" "comp cpu" \
  "floor wall" "floor cpu" "wall x" "cpu x" "peak RSS" "composer says"
for kind in channels names titles widest; do
  dir=$build/bench/$kind
  rm -rf "$dir" && mkdir -p "$dir"
  "$build/make_workload" "$kind" "$dir"
  floor_runs "$dir" "$runs"
  cw=$(cut -d' ' -f1 "$dir/composer.times" | median)
  cc=$(cut -d' ' -f2 "$dir/composer.times" | median)
  rss=$(cut -d' ' -f3 "$dir/composer.times" | median)
  fw=$(cut -d' ' -f1 "$dir/floor.times" | median)
  fc=$(cut -d' ' -f2 "$dir/floor.times" | median)
  printf '%-9s %11.4fs %11.4fs %11.4fs %11.4fs %7.2f %7.2f %7d KB  %s\n' "$kind" "$cw" "$cc" "$fw" "$fc" \
    "$(echo "$cw $fw" | awk '{ print $1 / $2 }')" "$(echo "$cc $fc" | awk '{ print ($2 > 0) ? $1 / $2 : 0 }')" \
    "$rss" "$said"
done
