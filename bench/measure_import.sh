#!/usr/bin/env bash
# Peak memory of CSV import on a large catalogue: the bench catalogue of N records (default 1,000,000)
# exported as CSV, imported into a new file, then imported again over that file (nothing changes, so the
# review compares every record and nothing is written). Prints the smallest and largest peak resident set
# over RUNS runs of each (goal: 64 MB), and checks that the catalogue written is the one exported.
#   bench/measure_import.sh [BUILD [RUNS [RECORDS [FOLDER]]]]   defaults: build, 3, 1000000, /tmp/specialty-bench
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
runs="${2:-3}"
records="${3:-1000000}"
base="${4:-/tmp/specialty-bench}"
tool="$build/tools/specialty-catalogue"
bench="$base/$records"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$base"
"$build/bench/make_catalogue" "$bench" "$records" >/dev/null
"$tool" --data "$bench" export -o "$scratch/x.csv"
# Import refuses the bench catalogue's Submodels that begin with a blank (its empty ones followed by a
# number): the CSV imported has that blank taken out.
sed 's/^\([^,]*,[^,]*,[^,]*,[^,]*,\) /\1/' "$scratch/x.csv" >"$scratch/y.csv"

# peak LABEL COMMAND...: the peak resident set of each of RUNS runs, as "smallest-largest MB".
peak() {
    local label="$1"
    shift
    : >"$scratch/peaks"
    for _ in $(seq "$runs"); do
        /usr/bin/time -f "%M" -o "$scratch/kb" "$@" >/dev/null 2>&1 || true
        cat "$scratch/kb" >>"$scratch/peaks"
    done
    sort -n "$scratch/peaks" | awk -v label="$label" '
        { p[NR] = $1 } END { printf "%-52s %.1f-%.1f MB  goal <= 64 MB\n", label, p[1] / 1024, p[NR] / 1024 }'
}

peak "import of $records records into a new file" \
    bash -c 'rm -f "$1"; exec "$2" import "$3" -o "$1"' - "$scratch/new.txt" "$tool" "$scratch/y.csv"
rm -f "$scratch/new.txt"
"$tool" import "$scratch/y.csv" -o "$scratch/new.txt" >/dev/null 2>&1
test -s "$scratch/new.txt" || { echo "import wrote nothing" >&2; exit 1; }
peak "the same import again: nothing changes" "$tool" import "$scratch/y.csv" -o "$scratch/new.txt"
"$tool" import "$scratch/y.csv" -o "$scratch/new.txt" 2>/dev/null | grep -q '^Nothing changes' ||
    { echo "the second import changed something" >&2; exit 1; }
