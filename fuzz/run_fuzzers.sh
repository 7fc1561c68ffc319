#!/usr/bin/env bash
# Runs every fuzz harness for SECONDS each (default 60), starting from the
# seed corpus in fuzz/corpus/HARNESS. New inputs collect in
# build-fuzz/corpus/HARNESS; an input that breaks a property or crashes is
# saved in build-fuzz/artifacts/ and makes the script fail.
# Build the harnesses first: cmake --workflow --preset fuzz
set -euo pipefail
seconds=${1:-60}
cd "$(dirname "$0")/.."
build=build-fuzz
status=0
harnesses=(base_loading ini_profile range_list composition)
[ -x "$build/xmltv_import_fuzzer" ] && harnesses+=(xmltv_import)
for harness in "${harnesses[@]}"; do
  corpus=$build/corpus/$harness
  mkdir -p "$corpus" "$build/artifacts"
  echo "== $harness: ${seconds}s"
  if ! "$build/${harness}_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
      -close_fd_mask=3 \
      -print_final_stats=1 -artifact_prefix="$build/artifacts/${harness}-" \
      "$corpus" "fuzz/corpus/$harness" 2>"$build/$harness.log"; then
    status=1
    tail -n 40 "$build/$harness.log"
  else
    grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "$build/$harness.log" || true
  fi
done
exit $status
