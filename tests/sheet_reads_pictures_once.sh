#!/usr/bin/env bash
# The review sheet reads and decodes each part picture once: its thumbnail and check's judgement of it come
# from one decoding, so every picture file is opened once in the whole run (strace counts the opens).
#   tests/sheet_reads_pictures_once.sh TOOL SAMPLE_FOLDER
set -uo pipefail
tool=$1
sample=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp -r "$sample" "$scratch/data"
# A cut picture too, which check finds decoding only partly.
head -c 5000 "$sample/AC1002ill.jpg" >"$scratch/data/AC1002ill.jpg"
# LeakSanitizer cannot run under ptrace: a sanitized build's leaks are looked for by the other tests.
ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
    strace -f -qq -e trace=open,openat -o "$scratch/opens" "$tool" --data "$scratch/data" sheet -o "$scratch/sheet" \
    >/dev/null 2>&1 || {
    echo "FAIL: sheet did not run" >&2
    exit 1
}
failures=0
pictures=0
for picture in "$scratch"/data/*ill.jpg; do
    pictures=$((pictures + 1))
    opens=$(grep -v ENOENT "$scratch/opens" | grep -cF "/data/$(basename "$picture")\"")
    if [ "$opens" -ne 1 ]; then
        echo "FAIL: $(basename "$picture") opened $opens times" >&2
        failures=$((failures + 1))
    fi
done
[ "$pictures" -ge 10 ] || { echo "FAIL: only $pictures pictures" >&2; exit 1; }
grep -rqF "does not show whole: it decodes only partly" "$scratch/sheet" || {
    echo "FAIL: the sheet lacks check's finding of the cut picture" >&2
    exit 1
}
[ "$failures" -eq 0 ] || exit 1
echo "sheet: each of $pictures pictures opened once"
