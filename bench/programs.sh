# Sourced by the benchmarks of several runs: goes to the source folder,
# builds the default preset when its programs are missing, and sets
# $skedcomp, $skedtool and $work, a scratch folder removed on exit.
cd "$(dirname "$0")/.."
build=$(pwd)/build
[ -x "$build/skedcomp" ] && [ -x "$build/skedtool" ] || cmake --workflow --preset default >/dev/null
skedcomp=$build/skedcomp
skedtool=$build/skedtool
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
