#!/usr/bin/env bash
# What the tool's start-up costs: CPU and page faults of `specialty-catalogue --version` and of `find` on a
# one-record catalogue, and how many libraries the program loads (ldd), as perf stat counts them.
#   [TOOL=PROGRAM] bench/tool_startup.sh [BUILD [RUNS]]     defaults: build, 20 runs
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
runs="${2:-20}"
tool="${TOOL:-$build/tools/specialty-catalogue}" # TOOL=...: another build of the program
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
"$build/bench/make_catalogue" "$scratch" 1 >/dev/null
echo "libraries loaded (ldd): $(ldd "$tool" | wc -l)"
stat() {
    echo "== $*"
    perf stat -e task-clock,page-faults -r "$runs" "$tool" "$@" 2>&1 >/dev/null | grep -E 'task-clock|page-faults'
}
stat --version
stat --data "$scratch" find --make Zzyzx --model Finale --submodel "Last Of All" --years 2020 2020
