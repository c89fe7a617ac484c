#!/usr/bin/env bash
# Peak memory and user / system CPU of check on the three catalogues that bound it: the bench catalogue of
# 1,000,000 records, its findings-heavy twin (the first 100,000 vehicles ten times over) and the widest one
# (1,200,000 records, 1,000,000 vehicles). Each runs RUNS times; the lowest and highest figures are printed.
# System time is mostly the reading of the file.
#   bench/check_memory.sh [BUILD [RUNS [FOLDER]]]   defaults: build, 3, /tmp/specialty-bench
# Needs GNU time (/usr/bin/time).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
runs="${2:-3}"
base="${3:-/tmp/specialty-bench}"
tool="$build/tools/specialty-catalogue"
scratch="$(mktemp)"
trap 'rm -f "$scratch"' EXIT
write() { # FOLDER RECORDS [VEHICLES]
    mkdir -p "$1"
    "$build/bench/make_catalogue" "$@" >/dev/null
    cat "$1/specialty.txt" >/dev/null # into the page cache
}
write "$base/1000000" 1000000
write "$base/1000000-repeated" 1000000 100000
write "$base/1200000-wide" 1200000 1000000
printf '%-26s %-22s %-14s %s\n' catalogue "peak resident (MiB)" "user (s)" "system (s)"
for name in 1000000 1000000-repeated 1200000-wide; do
    for ((i = 0; i < runs; ++i)); do
        /usr/bin/time -f '%M %U %S' -o "$scratch" "$tool" --data "$base/$name" check >/dev/null 2>&1 || true
        grep -E "^[0-9]+ [0-9.]+ [0-9.]+$" "$scratch" # not the line GNU time adds for an exit status of 1
    done | awk -v name="$name" '
        NR == 1 { pl = ph = $1; ul = uh = $2; sl = sh = $3 }
        { if ($1 < pl) pl = $1; if ($1 > ph) ph = $1; if ($2 < ul) ul = $2; if ($2 > uh) uh = $2
          if ($3 < sl) sl = $3; if ($3 > sh) sh = $3 }
        END { printf "%-26s %-22s %-14s %s\n", name, sprintf("%.1f-%.1f", pl / 1024, ph / 1024),
              sprintf("%.2f-%.2f", ul, uh), sprintf("%.2f-%.2f", sl, sh) }'
done
