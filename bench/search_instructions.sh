#!/usr/bin/env bash
# Instructions the search spends on each 64-byte block of the bench catalogue, counted by callgrind (which
# does not vary with the machine's load): `find` of the last record, less the same command on a catalogue of
# one record (start-up and the one record).
#   bench/search_instructions.sh [BUILD [RECORDS [FOLDER]]]   defaults: build, 1000000, /tmp/specialty-bench
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(realpath "${1:-build}")"
records="${2:-1000000}"
base="${3:-/tmp/specialty-bench}"
tool="$build/tools/specialty-catalogue"
bench="$base/$records"
tiny="$base/1"
"$build/bench/make_catalogue" "$bench" "$records" >/dev/null
"$build/bench/make_catalogue" "$tiny" 1 >/dev/null
blocks=$(($(stat -c %s "$bench/specialty.txt") / 64))

# instructions FOLDER ARGS...: the instructions callgrind counts for one run of the tool.
instructions() {
    local folder="$1"
    shift
    # A search that finds nothing ends with status 1; only the count matters here.
    { valgrind --tool=callgrind --callgrind-out-file=/dev/null "$tool" --data "$folder" "$@" 2>&1 >/dev/null ||
        true; } | sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}

# row LABEL ARGS...: instructions a block of the search the arguments ask for.
row() {
    local label="$1"
    shift
    local big small
    big=$(instructions "$bench" "$@")
    small=$(instructions "$tiny" "$@")
    awk -v label="$label" -v big="$big" -v small="$small" -v blocks="$blocks" 'BEGIN {
        printf "%-40s %6.1f instructions a block (%d M in all, %d M to start)\n", label, (big - small) / blocks,
            big / 1e6, small / 1e6 }'
}

echo "catalogue: $records records, $blocks blocks of 64 bytes"
row "find of the last record" find --make Zzyzx --model Finale --submodel "Last Of All" --years 2020 2020
