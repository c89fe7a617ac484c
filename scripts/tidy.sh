#!/usr/bin/env bash
# Static analysis with clang-tidy (the checks in .clang-tidy) over the product's source files that the build
# compiles (catalogue/, pictures/, viewer/, tools/ and the headers they include; not the tests, benchmarks or
# sample generator), using the build's compile_commands.json; fails on any warning.
#   scripts/tidy.sh BUILD_DIR [JOBS]
# The build must have been configured (CMAKE_EXPORT_COMPILE_COMMANDS is on) and built once, so that Qt's
# generated headers exist.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:?usage: scripts/tidy.sh BUILD_DIR [JOBS]}"
jobs="${2:-$(nproc)}"
root="$(pwd)"
if [ ! -f "$build/compile_commands.json" ]; then
    echo "tidy: $build/compile_commands.json is missing: configure the build first" >&2
    exit 2
fi
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
# Only the product's own files: not what the build generates (moc, rcc) under BUILD_DIR.
files=()
while IFS= read -r file; do
    files+=("$file")
done < <(python3 - "$build/compile_commands.json" "$root" "$(cd "$build" && pwd)" <<'PYTHON'
import json, os, sys
entries, root, build = json.load(open(sys.argv[1])), sys.argv[2], sys.argv[3]
seen = set()
for entry in entries:
    path = os.path.normpath(os.path.join(entry["directory"], entry["file"]))
    layer = os.path.relpath(path, root).split(os.sep)[0]
    product = layer in ("catalogue", "pictures", "viewer", "tools")
    if product and path.startswith(root + os.sep) and not path.startswith(build + os.sep) and path not in seen:
        seen.add(path)
        print(path)
PYTHON
)
echo "tidy: ${#files[@]} files, $jobs jobs"
status=0
start=$(date +%s)
run-clang-tidy -quiet -p "$build" -j "$jobs" "${files[@]}" 2>&1 | sed 's/\x1b\[[0-9;]*m//g' >"$log" || status=$?
echo "tidy: $(($(date +%s) - start)) s"
# A warning or an error anywhere fails the run, whatever run-clang-tidy's own status; each is listed once
# (a header's warning comes once for every file that includes it).
if grep -E '(warning|error): ' "$log" >/dev/null || [ "$status" -ne 0 ]; then
    grep -E '(warning|error): ' "$log" | sort -u >&2 || tail -n 40 "$log" >&2
    cp "$log" "$build/tidy.log"
    echo "tidy: failed; the whole report, with each warning's notes: $build/tidy.log" >&2
    exit 1
fi
echo "tidy: no warnings"
