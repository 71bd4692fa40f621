#!/bin/sh
# Rewrites the golden result files of every case folder here with the varnodel-cli given (by
# default the debug build of this checkout). Run it only when a change of the results is meant:
# the golden test compares every later run with these files.
#
#   tests/data/golden/regenerate.sh [path/to/varnodel-cli] [case...]
#
# A case folder holds `arguments` (the subcommand and its options, e.g. "frac --analysis 5"),
# `settings.toml`, and the files the run wrote under the name "golden" (golden_FRAC.csv, ...)
# plus what it printed on stderr (stderr.txt) and its exit code (exit_code). Every run reads
# ../reference_glasses.csv, or the file of ../ that `data_file` names, one analysis at a time
# (--jobs 1: the reference the parallel runs of the test must match).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
cli=${1:-"$here/../../../build/dev/src/cli/varnodel-cli"}
[ $# -gt 0 ] && shift
if [ ! -x "$cli" ]; then
    echo "regenerate.sh: $cli is not an executable; build first (cmake --build --preset dev)" >&2
    exit 2
fi
cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")

cases=${*:-$(cd "$here" && for d in */; do [ -f "$d/arguments" ] && echo "${d%/}"; done)}
for name in $cases; do
    dir="$here/$name"
    [ -f "$dir/arguments" ] || { echo "regenerate.sh: no case $name" >&2; exit 2; }
    rm -f "$dir"/golden_*.csv "$dir/stderr.txt" "$dir/exit_code"
    data=reference_glasses.csv
    [ -f "$dir/data_file" ] && data=$(cat "$dir/data_file")
    status=0
    # shellcheck disable=SC2046  # the arguments are words on purpose
    (cd "$dir" && "$cli" $(cat arguments) --settings settings.toml \
        --data "../../$data" --output golden --quiet --jobs 1 2>stderr.txt) ||
        status=$?
    # 1 (a run ended with an error, e.g. no mineral left) is a result like any other.
    if [ "$status" -ne 0 ] && [ "$status" -ne 1 ]; then
        echo "regenerate.sh: $name: varnodel-cli exited with $status:" >&2
        cat "$dir/stderr.txt" >&2
        exit 1
    fi
    # The profiles' LAST_RES.DAT repeats the final profile of their result file.
    rm -f "$dir/LAST_RES.DAT"
    echo "$status" >"$dir/exit_code"
    echo "$name (exit $status):" $(cd "$dir" && ls golden_*.csv)
done
