#!/usr/bin/env bash
# The speed figures of docs/performance.md, each a ratio to a peer or a floor on the same file in the same
# run: the two programs of a pair run in turns (A B A B ...), each in a fresh process on the page-cached
# file, and the median and the range of the pairs' ratios are printed.
#   bench/speed_table.sh [BUILD [RUNS [FOLDER [search]]]]   defaults: build, 9 runs, /tmp/specialty-bench
# With "search" only the search rows run, each as a wall and as a CPU (user + system) ratio.
# Needs ripgrep (rg) and python3, which reads each child's usage. Catalogues of 1,000,000 records are written once:
#   FOLDER/1000000/          the bench catalogue (each vehicle listed once, parts without files)
#   FOLDER/1000000-repeated/ its first 100,000 vehicles listed ten times over: 900,000 findings for check
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
runs="${2:-9}"
base="${3:-/tmp/specialty-bench}"
only="${4:-}"
tool="$build/tools/specialty-catalogue"
records=1000000
bench="$base/$records"
repeated="$base/$records-repeated"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$base"
"$build/bench/make_catalogue" "$bench" "$records" >/dev/null
[ "$only" = search ] || "$build/bench/make_catalogue" "$repeated" "$records" 100000 >/dev/null
catalogue="$bench/specialty.txt"
cat "$catalogue" >/dev/null # into the page cache

[ "$only" = search ] || cat "$repeated/specialty.txt" >/dev/null
find_last=("$tool" --data "$bench" find --make Zzyzx --model Finale --submodel "Last Of All" --years 2020 2020)

# measure KIND COMMAND...: runs the command once, output thrown away; prints wall seconds (KIND wall), user +
# system seconds (KIND cpu) or peak resident KB (KIND peak), from the child's own usage (microseconds).
measure() {
    local kind="$1"
    shift
    python3 - "$kind" "$@" <<'PYTHON'
import os, subprocess, sys, time
kind, command = sys.argv[1], sys.argv[2:]
start = time.monotonic()
child = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
_, _, usage = os.wait4(child.pid, 0)
wall = time.monotonic() - start
print({"wall": wall, "cpu": usage.ru_utime + usage.ru_stime, "peak": usage.ru_maxrss}[kind])
PYTHON
}

# pair LABEL KIND GOAL -- A... -- B...: the ratio A/B over RUNS pairs, as "median (min-max)".
pair() {
    local label="$1" kind="$2" goal="$3"
    shift 4
    local a=() b=()
    while [ "$1" != "--" ]; do
        a+=("$1")
        shift
    done
    shift
    b=("$@")
    : >"$scratch/ratios"
    for _ in $(seq "$runs"); do
        local ta tb
        ta=$(measure "$kind" "${a[@]}")
        tb=$(measure "$kind" "${b[@]}")
        awk -v a="$ta" -v b="$tb" 'BEGIN { printf "%.4f\n", (b > 0 ? a / b : 0) }' >>"$scratch/ratios"
    done
    sort -n "$scratch/ratios" | awk -v label="$label" -v goal="$goal" '
        { r[NR] = $1 }
        END { printf "%-58s %6.2fx (%.2f-%.2f)  goal %s\n", label, r[int((NR + 1) / 2)], r[1], r[NR], goal }'
}

# peak LABEL COMMAND...: the largest peak resident memory over RUNS runs, and the smallest.
peak() {
    local label="$1"
    shift
    : >"$scratch/peaks"
    for _ in $(seq "$runs"); do
        measure peak "$@" >>"$scratch/peaks"
    done
    sort -n "$scratch/peaks" | awk -v label="$label" '
        { p[NR] = $1 } END { printf "%-58s %6.1f MB (%.1f-%.1f)  goal <= 64 MB\n", label, p[NR] / 1024, p[1] / 1024, p[NR] / 1024 }'
}

echo "catalogue: $records records, $(($(stat -c %s "$catalogue") / 1000000)) MB, $runs pairs each"
pair "find of the last record / rg -i -F -m1 Finale (wall)" wall "<= 1.0x" \
    -- "${find_last[@]}" -- rg -i -F -m1 Finale "$catalogue"
pair "find of the last record / wc -l (wall)" wall "<= 1.6x" \
    -- "${find_last[@]}" -- wc -l "$catalogue"
if [ "$only" = search ]; then
    pair "find of the last record / rg -i -F -m1 Finale (CPU)" cpu "-" \
        -- "${find_last[@]}" -- rg -i -F -m1 Finale "$catalogue"
    pair "find of the last record / wc -l (CPU)" cpu "-" \
        -- "${find_last[@]}" -- wc -l "$catalogue"
    exit 0
fi
pair "check / find, the bench catalogue (CPU)" cpu "<= 8x" \
    -- "$tool" --data "$bench" check -- "${find_last[@]}"
pair "check / find, 900,000 findings (CPU)" cpu "<= 25x" \
    -- "$tool" --data "$repeated" check -- "$tool" --data "$repeated" find --make Zzyzx --model Finale \
    --submodel "Last Of All" --years 2020 2020
peak "check peak memory, the bench catalogue" "$tool" --data "$bench" check
peak "check peak memory, 900,000 findings" "$tool" --data "$repeated" check
peak "export of the bench catalogue as CSV, peak memory" "$tool" --data "$bench" export -o "$scratch/x.csv"
# Import refuses the bench catalogue's Submodels that begin with a blank (its empty ones followed by a
# number): the CSV imported has that blank taken out.
"$tool" --data "$bench" export -o "$scratch/x.csv"
sed 's/^\([^,]*,[^,]*,[^,]*,[^,]*,\) /\1/' "$scratch/x.csv" >"$scratch/y.csv"
peak "import of that CSV into a new file, peak memory" \
    bash -c 'rm -f "$1"; exec "$2" import "$3" -o "$1"' - "$scratch/new.txt" "$tool" "$scratch/y.csv"
test -s "$scratch/new.txt" || echo "import wrote nothing" >&2
