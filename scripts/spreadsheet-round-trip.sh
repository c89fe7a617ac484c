#!/usr/bin/env bash
# The spreadsheet round trip with a real spreadsheet: a catalogue full of values that spreadsheets like to
# convert is exported as CSV and as a workbook, opened and saved again by LibreOffice Calc (headless, with
# its default options), and imported back. Every import must end either with every record as it was
# (compared field by field with `find --json --record N`) or refused, with the catalogue unchanged byte for
# byte. An import that changes the catalogue silently fails this script. Part of CI; needs root for the
# packages.
#   scripts/spreadsheet-round-trip.sh [BUILD_DIR]     default: build (the README's test build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
scripts/install-packages.sh $(cat scripts/build-packages.txt scripts/test-packages.txt) python3
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target specialty-catalogue
tool="$(cd "$build" && pwd)/tools/specialty-catalogue"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
original="$work/original"
mkdir -p "$original"
# Windows-1252, CR LF, an end record. Values a spreadsheet turns into numbers or dates, signs and formulas,
# and Western letters (0xE9 e acute, 0xD8 O slash, 0xFC u umlaut).
printf '%s\r\n' \
    '0012,,"Aldena","Tarsa","2.0",1998,2004,0123,1E5,0001E2,00,12345678901234567,1.10,3/4,,,,,,,,,' \
    '1002,0042,"V'$'\xe9''lomar","'$'\xd8''rsted","+4",2001,2008,AC1001,-5,=1+2,@SUM(1+1),'"'"'x,1/2/03,,,,,,,,,,' \
    '1003,,"Brisko","M'$'\xfc''nster 3/4","-1",1995,1999,007,2E-3,0.50,1e10,+1,,,,,,,,,,,' \
    '0,,,,,,,,,,,,,,,,,,,,,,' >"$original/specialty.txt"
records=3

lo_profile="file://$work/lo-profile"
spreadsheet() { # FORMAT FILE OUTDIR: opens FILE and saves it again as FORMAT
    soffice -env:UserInstallation="$lo_profile" --headless --convert-to "$1" --outdir "$3" "$2" >/dev/null 2>&1
}

records_of() { # FOLDER: every field of every record as find --json shows it, one a line
    local n
    for n in $(seq 1 "$records"); do
        "$tool" --data "$1" --json find --record "$n" | python3 -c '
import json, sys
found = json.load(sys.stdin)
for field, value in sorted(found.get("record", {}).items()):
    print("record %s %s: %r" % (found.get("number"), field, value))
print("record %s: %s" % (found.get("number"), found.get("outcome")))'
    done
}
records_of "$original" >"$work/original.json"

failures=0
declare -A outcome
round_trip() { # NAME FILE: imports FILE into a copy of the original data folder and judges the outcome
    local name="$1" file="$2" data="$work/data-$1" status=0
    rm -rf "$data"
    cp -r "$original" "$data"
    "$tool" --data "$data" import "$file" >"$work/$name.out" 2>&1 || status=$?
    if [ "$status" -eq 0 ]; then
        records_of "$data" >"$work/$name.json"
        if cmp -s "$work/original.json" "$work/$name.json"; then
            echo "$name: imported, every record as it was"
            outcome[$name]=identical
        else
            echo "$name: imported, but records changed silently:" >&2
            diff "$work/original.json" "$work/$name.json" >&2 || true
            failures=$((failures + 1))
        fi
    elif cmp -s "$original/specialty.txt" "$data/specialty.txt"; then
        echo "$name: refused (status $status), catalogue unchanged; first lines of the report:"
        outcome[$name]=refused
        head -n 4 "$work/$name.out" | sed 's/^/    /'
    else
        echo "$name: refused (status $status) but the catalogue changed" >&2
        failures=$((failures + 1))
    fi
}

"$tool" --data "$original" export -o "$work/export.csv"
"$tool" --data "$original" export -o "$work/export.xlsx"
round_trip csv-as-exported "$work/export.csv"
round_trip xlsx-as-exported "$work/export.xlsx"

mkdir -p "$work/from-csv" "$work/from-xlsx" "$work/xlsx-as-csv"
spreadsheet csv "$work/export.csv" "$work/from-csv"
spreadsheet xlsx "$work/export.xlsx" "$work/from-xlsx"
spreadsheet csv "$work/export.xlsx" "$work/xlsx-as-csv"
round_trip csv-saved-by-spreadsheet "$work/from-csv/export.csv"
round_trip xlsx-saved-by-spreadsheet "$work/from-xlsx/export.xlsx"
round_trip xlsx-saved-as-csv "$work/xlsx-as-csv/export.csv"

# The workbook is the recommended way to edit: it must come back whole, not merely refused.
for name in xlsx-as-exported xlsx-saved-by-spreadsheet; do
    if [ "${outcome[$name]}" != identical ]; then
        echo "$name: the workbook did not come back whole" >&2
        failures=$((failures + 1))
    fi
done

if [ "$failures" -ne 0 ]; then
    echo "spreadsheet round trip: $failures silent changes" >&2
    exit 1
fi
echo "spreadsheet round trip: every import identical or refused with the catalogue unchanged"
