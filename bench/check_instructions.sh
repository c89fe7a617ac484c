#!/usr/bin/env bash
# Instructions check executes (callgrind's count, which the machine's load does not move) on 100,000
# records of the bench catalogue and of the findings-heavy one (its first 10,000 vehicles listed ten times
# over), and those of find of the last record on the first, for scale.
#   bench/check_instructions.sh [BUILD [FOLDER]]   defaults: build, /tmp/specialty-bench-100k
# Needs valgrind.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
base="${2:-/tmp/specialty-bench-100k}"
tool="$build/tools/specialty-catalogue"
records=100000
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$base"
"$build/bench/make_catalogue" "$base/$records" "$records" >/dev/null
"$build/bench/make_catalogue" "$base/$records-repeated" "$records" 10000 >/dev/null

# count LABEL COMMAND...: the instructions the command executes, output thrown away.
count() {
    local label="$1"
    shift
    valgrind --tool=callgrind --callgrind-out-file="$scratch/out" "$@" >/dev/null 2>"$scratch/log" || true
    awk -v label="$label" '/Collected :/ { printf "%-44s %6.0f M instructions\n", label, $NF / 1e6 }' "$scratch/log"
}

count "check, the bench catalogue" "$tool" --data "$base/$records" check
count "check, the findings-heavy catalogue" "$tool" --data "$base/$records-repeated" check
count "find of the last record, the bench catalogue" "$tool" --data "$base/$records" find --make Zzyzx \
    --model Finale --submodel "Last Of All" --years 2020 2020
