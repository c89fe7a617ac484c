#!/usr/bin/env bash
# The workbook path's figures: the tool's workbook reader beside libexpat on hostile workbooks and on a
# 1M-row workbook (CPU seconds and peak memory, one process each), import --dry-run of the hostile ones,
# and export of 200,000 records beside libxlsxwriter alone writing every cell. See docs/performance.md.
#   bench/measure_workbook.sh [BUILD_DIR] [ROWS]      defaults: build, 1000000
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
rows="${2:-1000000}"
bench="$build/bench/bench_workbook"
tool="$build/tools/specialty-catalogue"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
measure() { /usr/bin/time -f "    %U s user, %S s system, %M KB peak" "$@"; }

"$bench" hostile "$work"
"$bench" rows "$work" "$rows"
"$bench" folder "$work/data/" 10
for file in "$work"/*.xlsx; do
    echo "$(basename "$file") ($(stat -c %s "$file") bytes)"
    measure "$bench" read "$file"
    measure "$bench" expat "$file"
    echo "  import --dry-run: $("$tool" --data "$work/data" import --dry-run "$file" 2>&1 | head -c 300)"
    measure sh -c '"$0" "$@" >/dev/null 2>&1 || true' "$tool" --data "$work/data" import --dry-run "$file"
done

"$bench" folder "$work/export/" 200000
for run in 1 2 3; do
    echo "export of 200000 records, run $run"
    measure "$tool" --data "$work/export" export -o "$work/export.xlsx"
    measure "$bench" alone "$work/export/specialty.txt" "$work/alone.xlsx"
done
ls -l "$work/export.xlsx" "$work/alone.xlsx"
