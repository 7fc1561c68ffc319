# Sourced by the benchmarks: floor_runs DIR RUNS runs the names listed in
# DIR/names with skedcomp, once for reference and then RUNS times alternately
# with the I/O floor (bench/io_floor.cc), which reads DIR/reads and writes
# files of the sizes of the reference run's outputs. The times go to
# DIR/composer.times and DIR/floor.times, a `measure` line a run.
floor_runs() {
  local dir=$1 runs=$2
  mapfile -t names <"$dir/names"
  said=$(cd "$dir" && "$build/skedcomp" "${names[@]}" 2>/dev/null | tail -n 1 | sed 's/^Composing [^ ]* //') || true
  : >"$dir/outputs"
  for name in "${names[@]}"; do
    for ext in ndx pdt log; do
      [ -f "$dir/$name.$ext" ] && echo "$(stat -c %s "$dir/$name.$ext") $dir/floor-$name.$ext" >>"$dir/outputs"
    done
  done
  : >"$dir/composer.times"
  : >"$dir/floor.times"
  for _ in $(seq "$runs"); do
    (cd "$dir" && "$build/measure" "$build/skedcomp" "${names[@]}") >>"$dir/composer.times"
    "$build/measure" "$build/io_floor" "$dir/reads" "$dir/outputs" >>"$dir/floor.times"
  done
}
