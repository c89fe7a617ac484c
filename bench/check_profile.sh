#!/usr/bin/env bash
# Where check's time goes on 1,000,000 records, as the processor spends it: sampled by perf (Debian's
# linux-perf), so that waits on memory show, which instruction counts (check_instructions.sh) hide. Prints
# the functions with the most samples, self time, for the bench catalogue and the findings-heavy one.
#   bench/check_profile.sh [BUILD [FOLDER [TOP]]]   defaults: build, /tmp/specialty-bench, 20
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
base="${2:-/tmp/specialty-bench}"
top="${3:-20}"
tool="$build/tools/specialty-catalogue"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$base"
"$build/bench/make_catalogue" "$base/1000000" 1000000 >/dev/null
"$build/bench/make_catalogue" "$base/1000000-repeated" 1000000 100000 >/dev/null
for catalogue in 1000000 1000000-repeated; do
    cat "$base/$catalogue/specialty.txt" >/dev/null # into the page cache
    perf record -q -F 2000 -o "$scratch/perf.data" "$tool" --data "$base/$catalogue" check >/dev/null 2>&1 || true
    echo "== check of $base/$catalogue: share of samples, self"
    perf report -q -i "$scratch/perf.data" --no-children --sort sym 2>/dev/null | awk 'NF' | head -n "$top"
done
