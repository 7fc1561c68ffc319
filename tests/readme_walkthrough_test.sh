#!/bin/sh
# Runs the README's walk-throughs as a user would type them: every ```sh
# block, in order, in one shell, from a folder laid out as the source folder
# after the Quick start (examples/ and build/). Fails when a command fails or
# prints on standard error what the README does not say it prints.
# Usage: readme_walkthrough_test.sh README EXAMPLES_DIR BUILD_DIR
set -eu
readme=$1 examples=$2 build=$3

# What the walk-throughs need beyond the programs; without it, skip (77).
if ! "$build/skedtool" import --help >/dev/null 2>&1; then
  echo "skipped: this build has no XMLTV support"; exit 77
fi
if ! command -v xmllint >/dev/null || [ ! -f /usr/share/xmltv/xmltv.dtd ]; then
  echo "skipped: needs xmllint (libxml2-utils) and /usr/share/xmltv/xmltv.dtd (xmltv-util)"
  exit 77
fi

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
ln -s "$examples" "$folder/examples"
ln -s "$build" "$folder/build"
awk '/^```sh$/ { inside = 1; next } /^```$/ { inside = 0; next } inside' "$readme" \
  > "$folder/walkthrough.sh"
if [ ! -s "$folder/walkthrough.sh" ]; then
  echo "the README has no walk-through"; exit 1
fi

status=0
(cd "$folder" && sh -eu walkthrough.sh) > "$folder/out" 2> "$folder/err" || status=$?
cat "$folder/out"
if [ "$status" -ne 0 ]; then
  cat "$folder/err"
  echo "the walk-through failed with exit code $status"; exit 1
fi
# The lines the README announces; anything else on standard error is a
# false alarm or a fault.
unexpected=$(grep -v -e "^skedtool: import: starts stored in the wall-clock time of Europe/Berlin (from --tz)$" \
  -e "^skedtool: import: channel sport.example.net: 42 characters not in cp1252 became '?'; cp1253 and ISO-8859-7 hold them$" \
  -e "^skedtool: export: [0-9]* programmes* that starts* the same minute as the one before w[a-z]* joined to it (--same-minute keep keeps them apart)$" \
  -e "^skedtool: export: 1 last programme, whose end no base holds, was given 60 minutes (--last-length MINUTES to change)$" \
  "$folder/err" || true)
if [ -n "$unexpected" ]; then
  printf 'unexpected on standard error:\n%s\n' "$unexpected"; exit 1
fi
for made in my-guide/evening.ndx my-guide/evening.html my-guide/evening.xml from-xmltv/week.html \
  from-xmltv/week.xml; do
  [ -s "$folder/$made" ] || { echo "the walk-through made no $made"; exit 1; }
done
grep -q '^0 errors, 0 warnings\.$' "$folder/out" || { echo "check found something"; exit 1; }
grep -q 'The guide on disk is stale' "$folder/from-xmltv/week.html" ||
  { echo "review did not tell the change"; exit 1; }
grep -q '^-2026-10-24' "$folder/out" || { echo "diff did not list the dropped film"; exit 1; }
grep -q '^week.xml: 1 channel, 25 programmes: nothing found$' "$folder/out" ||
  { echo "validate found something in the exported guide"; exit 1; }
echo "the walk-throughs ran as written"
