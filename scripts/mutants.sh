#!/usr/bin/env bash
# Faults that once went unnoticed by every test. Each is put into the source in turn, the test that must
# catch it is built and run, and the source is restored (and touched, so the next build compiles it again): the script fails when a test passes with a fault
# in place, or when a fault no longer applies (the code it names has moved; update the list).
#   scripts/mutants.sh [BUILD_DIR]      default: build (configured as scripts/test.sh does)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

# file | the test that must fail | the text to replace (exactly once) | its replacement. <LF> is a line feed.
mutants=$(cat <<'EOF'
catalogue/text_encoding.cpp|test_selection|    table[0x9E] = 0x8E; // z with caron<LF>|
tools/spreadsheet/csv_table.cpp|test_spreadsheet|                    } else if (c == '\n') {<LF>                        ++line_;<LF>|                    } else if (c == '\n') {<LF>
pictures/picture_loader.cpp|test_hostile_pictures|pngBitDepth(input.bytes) == 16 ? 8 : 4|pngBitDepth(input.bytes) == 16 ? 4 : 4
EOF
)

survivors=0
while IFS='|' read -r file test from to; do
    backup=$(mktemp)
    cp "$file" "$backup"
    if ! python3 - "$file" "$from" "$to" <<'PY'; then
import sys
path, old, new = sys.argv[1], sys.argv[2].replace("<LF>", "\n"), sys.argv[3].replace("<LF>", "\n")
text = open(path, encoding="latin-1").read()
if text.count(old) != 1:
    sys.exit(f"{path}: the text to change stands there {text.count(old)} times, not once")
open(path, "w", encoding="latin-1").write(text.replace(old, new))
PY
        rm -f "$backup"
        exit 1
    fi
    echo "== $file, caught by $test?"
    caught=yes
    if cmake --build "$build" --target "$test" --parallel "$(nproc)" </dev/null >/dev/null 2>&1; then
        ctest --test-dir "$build" -R "^$test\$" </dev/null >/dev/null 2>&1 && caught=no
    fi
    cp "$backup" "$file" && rm -f "$backup"
    touch "$file"
    if [ "$caught" = no ]; then
        echo "NOT CAUGHT: $test passes with the fault in $file" >&2
        survivors=$((survivors + 1))
    fi
done <<<"$mutants"
if [ "$survivors" -ne 0 ]; then
    echo "$survivors faults went unnoticed" >&2
    exit 1
fi
echo "every fault on the list is caught"
