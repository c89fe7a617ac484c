#!/usr/bin/env bash
# Instructions check spends on part codes (callgrind's inclusive counts, which the machine's load does not
# move) on the 100,000-record bench catalogue: all of it (RecordJudge::useParts), the looks in the set of
# codes seen, the first look at each distinct code with its findings, and the findings' share of that; and the
# VehicleId set, the other user of the same set.
#   bench/part_code_instructions.sh [BUILD [FOLDER]]   defaults: build, /tmp/specialty-bench-100k
# Needs valgrind.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
base="${2:-/tmp/specialty-bench-100k}"
records=100000
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$base"
"$build/bench/make_catalogue" "$base/$records" "$records" >/dev/null
valgrind --tool=callgrind --callgrind-out-file="$scratch/out" "$build/tools/specialty-catalogue" \
    --data "$base/$records" check >/dev/null 2>"$scratch/log" || true
callgrind_annotate --inclusive=yes --threshold=100 "$scratch/out" >"$scratch/inclusive" 2>/dev/null
callgrind_annotate --tree=calling --inclusive=yes --threshold=100 "$scratch/out" >"$scratch/tree" 2>/dev/null

# inclusive PATTERN: the largest inclusive count of a function whose name matches, in M.
inclusive() {
    grep -E "$1" "$scratch/inclusive" | grep -v '=>' | awk '{ gsub(",", "", $1); if ($1 + 0 > m) m = $1 + 0 }
        END { printf "%6.0f M", m / 1e6 }'
}
# called CALLER CALLEE: what CALLER spends in calls to CALLEE, in M.
called() {
    awk -v caller="$1" -v callee="$2" '
        /%\)  \*  / { inside = $0 ~ caller; next }
        inside && /%\)  >  / && $0 ~ callee { gsub(",", "", $1); sum += $1 }
        END { printf "%6.0f M", sum / 1e6 }' "$scratch/tree"
}

awk '/Collected :/ { printf "%-58s %6.0f M\n", "check, all of it", $NF / 1e6 }' "$scratch/log"
printf '%-58s %s\n' "part codes (RecordJudge::useParts)" "$(inclusive 'RecordJudge::useParts\(')"
printf '%-58s %s\n' "  looks in the set of codes seen (StringSet::add)" \
    "$(called 'part_files.h:.*RecordJudge::useParts\(' 'StringSet::add\(')"
printf '%-58s %s\n' "  first look at each distinct code (PartFiles::check)" "$(inclusive 'PartFiles::check\(')"
printf '%-58s %s\n' "    of which its findings handed on (FindingStream::add)" \
    "$(called 'PartFiles::(check|report)\(' 'FindingStream::add\(')"
printf '%-58s %s\n' "VehicleIds (RecordJudge::judgeVehicleId)" "$(inclusive 'RecordJudge::judgeVehicleId\(')"
