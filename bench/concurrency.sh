#!/usr/bin/env bash
# bench/concurrency.sh [ROUNDS] [KILLS]: what two writers at once, and a
# writer killed at a random moment, leave behind.
#
# - ROUNDS (default 1000) times each: two skedcomp runs on one guide (its
#   composition file replaced between their starts, so that they write
#   different guides), two imports of different documents into one folder,
#   two makes of one base from different listings. Counts the bases whose
#   .ndx and .pdt come from two runs, and the imports whose bases come from
#   two documents.
# - KILLS (default 300) times each writer: started, killed with SIGKILL at a
#   random moment of a run's length, then `skedtool dump` of a base in the
#   folder (a reader, which must write nothing), then `skedtool make` of
#   another base there (a writer, which mends what the kill left). Counts the
#   readers that wrote, and after the next writer, mixed bases, files of ours
#   left and the mendings it reported.
# Uses the default preset's build (made when missing).
set -euo pipefail
rounds=${1:-1000}
kills=${2:-300}
# shellcheck source=bench/programs.sh
. "$(dirname "$0")/programs.sh"

# A listing of N programmes titled with WORD.
listing() {
  local word=$1 n=$2 i
  for ((i = 0; i < n; i++)); do
    printf '2026-12-%02d\t%02d:%02d\tX\t%s %d %s\n' $((7 + i % 7)) $((i % 24)) $((i % 60)) "$word" "$i" \
      "$(head -c $((20 + i % 60)) /dev/zero | tr '\0' x)"
  done | while IFS=$'\t' read -r day clock _ title; do
    # The weekday as make wants it.
    printf '%s\t%s\t%s\t%s\n' "$day" "$clock" "$(date -d "$day" +%a)" "$title"
  done
}

# An XMLTV document of CHANNELS channels, PROGRAMMES each, titled with WORD.
document() {
  local word=$1 channels=$2 programmes=$3 c p
  echo '<tv>'
  for ((c = 0; c < channels; c++)); do
    for ((p = 0; p < programmes; p++)); do
      printf '<programme start="202612%02d%02d0000 +0000" channel="c%d"><title>%s %d</title></programme>\n' \
        $((7 + p % 7)) $((p % 24)) "$c" "$word" "$p"
    done
  done
  echo '</tv>'
}

# "same" when BASE's two files are those of the base in folder A or of the
# one in folder B, "mixed" otherwise.
same_as_one() {
  local base=$1 a=$2 b=$3 name
  name=$(basename "$base")
  if cmp -s "$base.ndx" "$a/$name.ndx" && cmp -s "$base.pdt" "$a/$name.pdt"; then echo a; return; fi
  if cmp -s "$base.ndx" "$b/$name.ndx" && cmp -s "$base.pdt" "$b/$name.pdt"; then echo b; return; fi
  echo mixed
}

ours() { find "$1" -maxdepth 1 -name '.skedcomp-*' | wc -l; }

# --- Fixtures: each writer's two outputs, made one at a time.
mkdir -p "$work/in" "$work/ref-a" "$work/ref-b"
for c in 0 1 2 3; do listing "chan$c" 200 >"$work/in/chan$c.listing"; done
listing first 150 >"$work/in/first.listing"
listing second 120 >"$work/in/second.listing"
document first 8 40 >"$work/in/first.xml"
document second 8 30 >"$work/in/second.xml"
printf '[chan0]\n[chan1]\n' >"$work/in/a.cfg"
printf '[chan2]\n[chan3]\n' >"$work/in/b.cfg"
for side in a b; do
  ref=$work/ref-$side
  for c in 0 1 2 3; do (cd "$ref" && "$skedtool" make "chan$c" "$work/in/chan$c.listing"); done
  cp "$work/in/$side.cfg" "$ref/guide.cfg"
  (cd "$ref" && "$skedcomp" guide >/dev/null)
  word=$([ $side = a ] && echo first || echo second)
  (cd "$ref" && "$skedtool" make base "$work/in/$word.listing")
  mkdir -p "$ref/tv"
  "$skedtool" import --tz UTC "$work/in/$word.xml" "$ref/tv" >/dev/null
done

echo "== $rounds rounds of two writers at once"
run=$work/run
rm -rf "$run" && mkdir -p "$run/tv" && cp "$work"/ref-a/chan*.{ndx,pdt} "$run/"
mixed_guides=0 mixed_makes=0 mixed_bases=0 mixed_imports=0 failed=0
for ((r = 0; r < rounds; r++)); do
  cp "$work/in/a.cfg" "$run/guide.cfg"
  (cd "$run" && "$skedcomp" guide >/dev/null) &
  one=$!
  cp "$work/in/b.cfg" "$run/guide.cfg.new" && mv "$run/guide.cfg.new" "$run/guide.cfg"
  (cd "$run" && "$skedcomp" guide >/dev/null) || failed=$((failed + 1))
  wait $one || failed=$((failed + 1))
  [ "$(same_as_one "$run/guide" "$work/ref-a" "$work/ref-b")" = mixed ] && mixed_guides=$((mixed_guides + 1))

  (cd "$run" && "$skedtool" make base "$work/in/first.listing") &
  one=$!
  (cd "$run" && "$skedtool" make base "$work/in/second.listing") || failed=$((failed + 1))
  wait $one || failed=$((failed + 1))
  [ "$(same_as_one "$run/base" "$work/ref-a" "$work/ref-b")" = mixed ] && mixed_makes=$((mixed_makes + 1))

  "$skedtool" import --tz UTC "$work/in/first.xml" "$run/tv" >/dev/null &
  one=$!
  "$skedtool" import --tz UTC "$work/in/second.xml" "$run/tv" >/dev/null || failed=$((failed + 1))
  wait $one || failed=$((failed + 1))
  sides=""
  for c in 0 1 2 3 4 5 6 7; do
    side=$(same_as_one "$run/tv/c$c" "$work/ref-a/tv" "$work/ref-b/tv")
    [ "$side" = mixed ] && mixed_bases=$((mixed_bases + 1))
    sides="$sides $side"
  done
  [ "$(echo $sides | tr ' ' '\n' | sort -u | wc -l)" -gt 1 ] && mixed_imports=$((mixed_imports + 1))
done
echo "skedcomp/skedcomp: $mixed_guides mixed guides in $rounds rounds"
echo "make/make: $mixed_makes mixed bases in $rounds rounds"
echo "import/import: $mixed_bases mixed bases, $mixed_imports imports mixed with another in $rounds rounds"
echo "runs that failed: $failed; files of ours left: $(($(ours "$run") + $(ours "$run/tv")))"

# Seconds a command takes, as a float.
timed() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 || true
  end=$(date +%s%N)
  echo "$(((end - start) / 1000))"
}

echo "== $kills kills of each writer, each followed by skedtool dump, then skedtool make"
# writer NAME: the command, in the folder $run, and the bases it writes.
for writer in skedcomp make import; do
  rm -rf "$run" && mkdir -p "$run"
  case $writer in
    skedcomp)
      cp "$work"/ref-a/chan*.{ndx,pdt} "$run/"
      names=()
      for n in $(seq 1 40); do cp "$work/in/a.cfg" "$run/g$n.cfg"; names+=("g$n"); done
      command=(env -C "$run" "$skedcomp" "${names[@]}")
      bases=("${names[@]}")
      reader=chan0
      ;;
    make)
      command=(env -C "$run" "$skedtool" make base "$work/in/first.listing")
      bases=(base)
      reader=base
      ;;
    import)
      command=("$skedtool" import --tz UTC "$work/in/first.xml" "$run")
      bases=(c0 c1 c2 c3 c4 c5 c6 c7)
      reader=c0
      ;;
  esac
  "${command[@]}" >/dev/null
  mkdir -p "$run/new"
  for b in "${bases[@]}"; do
    for ext in ndx pdt log; do [ -f "$run/$b.$ext" ] && cp "$run/$b.$ext" "$run/new/"; done
  done
  length=$(timed "${command[@]}")
  mixed=0 left=0 mended=0 left_by_kill=0 reader_wrote=0
  for ((k = 0; k < kills; k++)); do
    # Old bases: the new ones with three bytes more.
    for file in "$run"/new/*; do
      { cat "$file"; printf 'old'; } >"$run/$(basename "$file")"
    done
    "${command[@]}" >/dev/null 2>&1 &
    victim=$!
    sleep "$(awk -v us="$length" -v r="$RANDOM" 'BEGIN { printf "%.6f", us * r / 32768 / 1e6 }')"
    kill -9 $victim 2>/dev/null || true
    wait $victim 2>/dev/null || true
    [ "$(ours "$run")" -gt 0 ] && left_by_kill=$((left_by_kill + 1))
    before=$(ls -A "$run")
    env -C "$run" "$skedtool" dump "$reader" >/dev/null 2>&1 || true
    [ "$(ls -A "$run")" = "$before" ] || reader_wrote=$((reader_wrote + 1))
    said=$(env -C "$run" "$skedtool" make next-run "$work/in/second.listing" 2>&1 >/dev/null || true)
    mended=$((mended + $(grep -c 'that a stopped run left' <<<"$said" || true)))
    for b in "${bases[@]}"; do
      # A base (a guide with its log) whose files are not all new or all old.
      ages=$(for file in "$run/new/$b".*; do
        cmp -s "$file" "$run/$(basename "$file")" && echo new || echo old
      done | sort -u | wc -l)
      [ "$ages" -gt 1 ] && mixed=$((mixed + 1))
    done
    left=$((left + $(ours "$run")))
  done
  echo "$writer: $kills kills ($left_by_kill left files of ours); readers that wrote: $reader_wrote; after the next writer: $mixed mixed bases, $left files of ours; $mended mendings reported"
done
