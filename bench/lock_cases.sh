#!/usr/bin/env bash
# bench/lock_cases.sh [ROUNDS] [LINK_ROUNDS]: two writers at once where the
# lock file is not an ordinary one, where two users share a folder, and where
# both reach one base through links of their own.
#
# - ROUNDS (default 500) times, for each kind of lock file that cannot be
#   locked for writing (a link, a dangling link, a folder, a FIFO, mode 000,
#   mode 0444, another user's 0644 file): two makes of one base at once, as
#   user 65534 where the kind needs another user. Counts mixed bases,
#   refusals and runs that wrote.
# - ROUNDS times: two users (root and 65534) sharing a folder (mode 0777,
#   umask 022), each making the base at once. Counts mixed bases and failures.
# - LINK_ROUNDS (default 300) times: skedcomp and make writing one base
#   through links of their own from two folders. Counts mixed bases; then
#   files of ours left once a next writer ran.
# Needs root for the runs as another user (those cases are skipped without).
set -euo pipefail
rounds=${1:-500}
link_rounds=${2:-300}
# shellcheck source=bench/programs.sh
. "$(dirname "$0")/programs.sh"
chmod 755 "$work"
as_root=$([ "$(id -u)" = 0 ] && echo yes || echo no)
nobody() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }

mkdir -p "$work/in" "$work/a" "$work/b"
printf '2026-12-07\t06:00\tMon\tFirst %s\n' $(seq 1 150) >"$work/in/first.listing"
printf '2026-12-08\t07:00\tTue\tSecond %s\n' $(seq 1 120) >"$work/in/second.listing"
chmod 644 "$work/in"/*
(cd "$work/a" && "$skedtool" make base "$work/in/first.listing")
(cd "$work/b" && "$skedtool" make base "$work/in/second.listing")

# "mixed" when BASE's two files do not both come from one of the two makes.
mixed() {
  for side in a b; do
    cmp -s "$1.ndx" "$work/$side/base.ndx" && cmp -s "$1.pdt" "$work/$side/base.pdt" && return 1
  done
  return 0
}

echo "== $rounds rounds of two makes of one base, per kind of lock file"
for kind in link dangling folder fifo mode000 mode0444 other0644; do
  case $kind in mode000 | mode0444 | other0644) [ "$as_root" = yes ] || continue ;; esac
  run=$work/run-$kind
  mkdir -p "$run" && chmod 777 "$run"
  cp "$work/a/base.ndx" "$work/a/base.pdt" "$run/" && chmod 666 "$run"/base.*
  lock=$run/.skedcomp.lock
  case $kind in
    link) echo elsewhere >"$run/elsewhere" && ln -s elsewhere "$lock" ;;
    dangling) ln -s nowhere "$lock" ;;
    folder) mkdir "$lock" ;;
    fifo) mkfifo "$lock" ;;
    mode000) : >"$lock" && chmod 000 "$lock" ;;
    mode0444) : >"$lock" && chmod 444 "$lock" ;;
    other0644) : >"$lock" && chmod 644 "$lock" ;;
  esac
  # Both as another user where the permissions would not bite root.
  user=()
  case $kind in mode000 | mode0444 | other0644) user=(nobody) ;; esac
  mixed_bases=0 refused=0 wrote=0
  for ((r = 0; r < rounds; r++)); do
    (cd "$run" && "${user[@]}" "$skedtool" make base "$work/in/first.listing" 2>/dev/null) &
    one=$!
    if (cd "$run" && "${user[@]}" "$skedtool" make base "$work/in/second.listing" 2>/dev/null); then
      wrote=$((wrote + 1))
    else refused=$((refused + 1)); fi
    if wait $one; then wrote=$((wrote + 1)); else refused=$((refused + 1)); fi
    mixed "$run/base" && mixed_bases=$((mixed_bases + 1))
  done
  echo "$kind: $mixed_bases mixed bases, $refused runs refused, $wrote runs wrote"
done

if [ "$as_root" = yes ]; then
  echo "== $rounds rounds of two users making one base in a folder they share (umask 022)"
  run=$work/shared
  mkdir -p "$run" && chmod 777 "$run"
  (umask 022 && cd "$run" && "$skedtool" make base "$work/in/first.listing")
  chmod 666 "$run"/base.*
  mixed_bases=0 failed=0
  for ((r = 0; r < rounds; r++)); do
    (umask 022 && cd "$run" && "$skedtool" make base "$work/in/first.listing" 2>/dev/null) &
    one=$!
    (umask 022 && cd "$run" && nobody "$skedtool" make base "$work/in/second.listing" 2>/dev/null) ||
      failed=$((failed + 1))
    wait $one || failed=$((failed + 1))
    mixed "$run/base" && mixed_bases=$((mixed_bases + 1))
  done
  echo "shared folder: $mixed_bases mixed bases, $failed runs failed; lock file $(stat -c %A "$run/.skedcomp.lock")"
fi

echo "== $link_rounds rounds of skedcomp and make writing one base through links of their own"
run=$work/links
mkdir -p "$run/real" "$run/x" "$run/y"
cp "$work/a/base.ndx" "$work/a/base.pdt" "$run/"
printf '[../base]\n' >"$run/x/g.cfg"
: >"$run/real/g.ndx" && : >"$run/real/g.pdt"
for side in x y; do ln -s ../real/g.ndx "$run/$side/g.ndx" && ln -s ../real/g.pdt "$run/$side/g.pdt"; done
(cd "$run/x" && "$skedcomp" g >/dev/null) && cp "$run/real/g.ndx" "$run/composed.ndx" && cp "$run/real/g.pdt" "$run/composed.pdt"
(cd "$run/y" && "$skedtool" make g "$work/in/second.listing") && cp "$run/real/g.ndx" "$run/made.ndx" && cp "$run/real/g.pdt" "$run/made.pdt"
mixed_bases=0 failed=0
for ((r = 0; r < link_rounds; r++)); do
  (cd "$run/x" && "$skedcomp" g >/dev/null) &
  one=$!
  (cd "$run/y" && "$skedtool" make g "$work/in/second.listing") || failed=$((failed + 1))
  wait $one || failed=$((failed + 1))
  if ! { cmp -s "$run/real/g.ndx" "$run/composed.ndx" && cmp -s "$run/real/g.pdt" "$run/composed.pdt"; } &&
    ! { cmp -s "$run/real/g.ndx" "$run/made.ndx" && cmp -s "$run/real/g.pdt" "$run/made.pdt"; }; then
    mixed_bases=$((mixed_bases + 1))
  fi
done
(cd "$run/y" && "$skedtool" make g "$work/in/second.listing")
left=$(find "$run" -name '.skedcomp-*' | wc -l)
echo "links: $mixed_bases mixed bases, $failed runs failed; files of ours left after the next writer: $left"
