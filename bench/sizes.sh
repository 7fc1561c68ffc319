#!/usr/bin/env bash
# bench/sizes.sh [RUNS]: the composer against its safe floor (bench/io_floor.cc:
# the same reads, the outputs written to new files renamed over the old)
# across sizes, one dimension at a time: records a base, sections a name,
# names a run, title bytes. Prints the median wall seconds of both over RUNS
# runs (default 7), their ratio, and the composer's time per unit of the
# dimension above its time at the smallest size, which stays level where
# the cost grows linearly.
set -euo pipefail
runs=${1:-7}
cd "$(dirname "$0")/.."
build=$(pwd)/build
[ -x "$build/skedcomp" ] && [ -x "$build/io_floor" ] && [ -x "$build/make_workload" ] ||
  cmake --workflow --preset default >/dev/null
# shellcheck source=bench/floor_runs.sh
. "$(pwd)/bench/floor_runs.sh"
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# One size: RECORDS SECTIONS NAMES TITLE; prints "COMPOSER FLOOR".
measure_size() {
  local dir=$build/bench/sizes
  rm -rf "$dir" && mkdir -p "$dir"
  "$build/make_workload" sized "$dir" "$@"
  floor_runs "$dir" "$runs"
  echo "$(cut -d' ' -f1 "$dir/composer.times" | median) $(cut -d' ' -f1 "$dir/floor.times" | median)"
}

printf '%-9s %7s %11s %11s %7s %14s\n' dimension size "comp wall" "floor wall" ratio "comp per unit"
sweep() {
  local dimension=$1 position=$2 records=$3
  shift 3
  # Titles of 1,999 bytes fit a base 30 at a time.
  local defaults=("$records" 8 1 0) base_time= base_size=
  for size in "$@"; do
    local args=("${defaults[@]}")
    args[$position]=$size
    read -r comp floor < <(measure_size "${args[@]}")
    if [ -z "$base_time" ]; then base_time=$comp base_size=$size; fi
    printf '%-9s %7d %10.4fs %10.4fs %7.2f %12.1fus\n' "$dimension" "$size" "$comp" "$floor" \
      "$(echo "$comp $floor" | awk '{ print $1 / $2 }')" \
      "$(echo "$comp $base_time $size $base_size" | awk '{ print ($3 > $4) ? ($1 - $2) / ($3 - $4) * 1e6 : 0 }')"
  done
}
sweep records 0 400 1 50 100 200 400
sweep sections 1 400 1 10 100 1000 10000
sweep names 2 400 1 10 30 100
sweep title 3 30 1 100 500 1000 1999
