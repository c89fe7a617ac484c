#!/usr/bin/env bash
# Peak resident memory of check on the three catalogues that come nearest its 64 MB bound: the bench
# catalogue of 1,000,000 records (each vehicle listed once), the findings-heavy one (its first 100,000
# vehicles listed ten times over), and 1,200,000 records of 1,000,000 vehicles (the first 200,000 listed
# again), each run RUNS times; prints the range in MiB and KB.
#   bench/check_peak_memory.sh [BUILD [RUNS [FOLDER]]]   defaults: build, 3, /tmp/specialty-peak
# Needs GNU time (/usr/bin/time).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
runs="${2:-3}"
base="${3:-/tmp/specialty-peak}"
tool="$build/tools/specialty-catalogue"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$base"
"$build/bench/make_catalogue" "$base/1000000" 1000000 >/dev/null
"$build/bench/make_catalogue" "$base/1000000-repeated" 1000000 100000 >/dev/null
"$build/bench/make_catalogue" "$base/1200000-of-1000000" 1200000 1000000 >/dev/null

for case in 1000000 1000000-repeated 1200000-of-1000000; do
    : >"$scratch/peaks"
    for _ in $(seq "$runs"); do
        /usr/bin/time -v "$tool" --data "$base/$case" check >/dev/null 2>"$scratch/time" || true
        awk '/Maximum resident set size/ { print $NF }' "$scratch/time" >>"$scratch/peaks"
    done
    sort -n "$scratch/peaks" | awk -v label="$case" '
        { kb[NR] = $1 }
        END { printf "%-22s %.1f-%.1f MiB (%d-%d KB)\n", label, kb[1] / 1024, kb[NR] / 1024, kb[1], kb[NR] }'
done
