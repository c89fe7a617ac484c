#!/usr/bin/env bash
# What import's look before it writes costs on a large catalogue: a catalogue of N records (default
# 200,000), exported as CSV and imported again over itself (nothing changes, so nothing is written), and the
# same with lines after the end record (which the review counts). Prints wall time and peak RSS of each.
#   bench/import-review.sh [BUILD_DIR] [RECORDS]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
records="${2:-200000}"
tool="$(cd "$build" && pwd)/tools/specialty-catalogue"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 - "$work/specialty.txt" "$records" <<'PY'
import sys
path, n = sys.argv[1], int(sys.argv[2])
with open(path, 'wb') as f:
    for i in range(1, n + 1):
        parts = ','.join('P%05d' % ((i * 7 + k) % 99991) for k in range(6)) + ',' * 10
        f.write(('%d,,"Make%d","Model%d","Sub %d",2000,2004,%s\r\n' % (i, i % 97, i % 89, i, parts)).encode())
    f.write(b'0' + b',' * 22 + b'\r\n')
PY
"$tool" --data "$work/" export -o "$work/all.csv"
measure() { # NAME ARGS...
    local name="$1"
    shift
    /usr/bin/time -f "$name: %e s wall, %M KB peak RSS" "$tool" --data "$work/" "$@" >/dev/null 2>"$work/err" || true
    tail -n 1 "$work/err"
}
measure "import, nothing changes ($records records)" import "$work/all.csv"
printf 'a note\r\nanother\r\n' >>"$work/specialty.txt"
measure "import --dry-run, 2 lines after the end record" import --dry-run "$work/all.csv"
