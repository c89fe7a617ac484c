#!/usr/bin/env bash
# The system calls check makes besides reading the catalogue: pread64 (names of vehicles listed again, read
# from the catalogue to tell them apart) and readlink (part files' paths resolved), counted by strace -c on
# the catalogues of bench/speed_table.sh.
#   bench/check_syscalls.sh [BUILD [FOLDER]]   defaults: build, /tmp/specialty-bench
# Needs strace.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
base="${2:-/tmp/specialty-bench}"
tool="$build/tools/specialty-catalogue"
records=1000000
mkdir -p "$base"
"$build/bench/make_catalogue" "$base/$records" "$records" >/dev/null
"$build/bench/make_catalogue" "$base/$records-repeated" "$records" 100000 >/dev/null
for folder in "$base/$records" "$base/$records-repeated"; do
    # check ends with 1 when it finds errors, as both catalogues hold.
    counts=$({ strace -f -c -e trace=pread64,readlink "$tool" --data "$folder" check 2>&1 >/dev/null || true; } |
        awk '$NF == "pread64" || $NF == "readlink" { n[$NF] = $4 } END { printf "pread64 %d, readlink %d", n["pread64"], n["readlink"] }')
    echo "check $(basename "$folder"): $counts"
done
