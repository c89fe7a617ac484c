#!/usr/bin/env bash
# import against the clients maintainers use, as the oracle of what a spreadsheet shows.
#
# 1. The locale matrix: the catalogue exported as CSV and as a workbook is opened and saved again by
#    LibreOffice Calc under en_US, de_DE and fr_FR (default options), converted by Gnumeric's ssconvert, and
#    read and written by pandas (dtype=str, and to_excel with na_rep="NaN"). Every import must end with
#    every record as it was, or refused with the catalogue unchanged byte for byte.
# 2. The differential test: every workbook the tests and the fuzz corpus hold is converted by LibreOffice
#    into a UTF-8 CSV of the text it shows, and compared cell by cell with what import reads from it (the
#    catalogue import writes, exported again). They must agree, or import must refuse.
# Part of CI; needs root for the packages and the locales. Takes a few minutes, most of it LibreOffice.
#   scripts/spreadsheet-clients.sh [BUILD_DIR]     default: build
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
scripts/install-packages.sh $(cat scripts/build-packages.txt scripts/test-packages.txt) python3
for wanted in en_US de_DE fr_FR; do
    if ! locale -a | grep -qi "^$wanted.utf-\?8$"; then
        sed -i "s/^# *\($wanted.UTF-8 UTF-8\)/\1/" /etc/locale.gen
        need_locales=1
    fi
done
[ -z "${need_locales:-}" ] || locale-gen >/dev/null
if [ ! -x "$build/tools/specialty-catalogue" ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" --parallel "$(nproc)" --target specialty-catalogue
fi
tool="$(cd "$build" && pwd)/tools/specialty-catalogue"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
original="$work/original"
mkdir -p "$original"
# Values each locale reads as numbers: thousands separators, decimal commas, exponents, percentages,
# currency, dates, times, long numbers, and the markers scripts take for a missing value.
/usr/bin/python3 - "$original/specialty.txt" <<'EOF'
import sys
first = ['1001', '', '"Aldena"', '"Tarsa"', '"1.600"', '1998', '2004', '4.250', '"0,50"', '1e-3',
         '12345678901234567', '1 000', '"1,234"', '50%', '3/4', '2024-01-05', '1:30', '1.10', 'NA', 'n/a',
         'null', '0123', '1E5']
second = ['1002', '', '"Aldena"', '"Tarsa"', '"4.250"', '2005', '2008', 'AC1001'] + [''] * 15
end = ['0'] + [''] * 22
open(sys.argv[1], 'wb').write(''.join(','.join(r) + '\r\n' for r in (first, second, end)).encode('cp1252'))
EOF
records=2

failures=0
lo() { # LOCALE FORMAT FILE OUTDIR: LibreOffice under LOCALE opens FILE and saves it as FORMAT
    LC_ALL="$1.UTF-8" LANG="$1.UTF-8" soffice -env:UserInstallation="file://$work/lo-$1" --headless \
        --convert-to "$2" --outdir "$4" "$3" >/dev/null 2>&1
}

records_of() { # FOLDER
    local n
    for n in $(seq 1 "$records"); do "$tool" --data "$1" --json find --record "$n"; done
}
records_of "$original" >"$work/original.json"

round_trip() { # NAME FILE: imports FILE into a copy of the original data folder and judges the outcome
    local name="$1" file="$2" data="$work/data-$1" status=0
    rm -rf "$data"
    cp -r "$original" "$data"
    "$tool" --data "$data" import "$file" >"$work/$name.out" 2>&1 || status=$?
    if [ "$status" -eq 0 ]; then
        if [ "$(records_of "$data")" = "$(cat "$work/original.json")" ]; then
            echo "$name: imported, every record as it was"
        else
            echo "$name: imported, but records changed silently" >&2
            failures=$((failures + 1))
        fi
    elif cmp -s "$original/specialty.txt" "$data/specialty.txt"; then
        echo "$name: refused (status $status), catalogue unchanged: $(grep -m1 -E 'error|Nothing was written|became' "$work/$name.out" | cut -c1-110)"
    else
        echo "$name: refused (status $status) but the catalogue changed" >&2
        failures=$((failures + 1))
    fi
}

"$tool" --data "$original" export -o "$work/export.csv"
"$tool" --data "$original" export -o "$work/export.xlsx"
for locale in en_US de_DE fr_FR; do
    mkdir -p "$work/$locale/csv" "$work/$locale/xlsx"
    lo "$locale" csv "$work/export.csv" "$work/$locale/csv"
    lo "$locale" xlsx "$work/export.xlsx" "$work/$locale/xlsx"
    round_trip "libreoffice-$locale-csv" "$work/$locale/csv/export.csv"
    round_trip "libreoffice-$locale-xlsx" "$work/$locale/xlsx/export.xlsx"
done
LC_ALL=C.UTF-8 ssconvert "$work/export.csv" "$work/ssconvert.xlsx" >/dev/null 2>&1
round_trip ssconvert-csv-to-xlsx "$work/ssconvert.xlsx"
/usr/bin/python3 - "$work" <<'EOF'
import sys, pandas
work = sys.argv[1]
frame = pandas.read_csv(work + '/export.csv', dtype=str, encoding='utf-8-sig')
frame.to_csv(work + '/pandas.csv', index=False)
frame.to_csv(work + '/pandas-index.csv')
frame.to_excel(work + '/pandas-nan.xlsx', index=False, na_rep='NaN')
EOF
round_trip pandas-dtype-str "$work/pandas.csv"
round_trip pandas-with-index "$work/pandas-index.csv"
round_trip pandas-to-excel "$work/pandas-nan.xlsx"

# The differential test: what LibreOffice shows of each workbook against what import reads. One
# LibreOffice run a locale converts them all.
mkdir -p "$work/books"
# Only packages a spreadsheet can open at all: a zip without [Content_Types].xml (some hand-made fuzz seeds)
# is no workbook to LibreOffice, so it shows nothing to compare with.
n=0
while IFS= read -r book; do
    /usr/bin/python3 -c 'import sys, zipfile; sys.exit("[Content_Types].xml" not in zipfile.ZipFile(sys.argv[1]).namelist())' \
        "$book" 2>/dev/null || continue
    n=$((n + 1))
    cp "$book" "$work/books/corpus-$n.xlsx"
done < <({ find tests sample -name '*.xlsx' 2>/dev/null
    find tests/fuzz/corpus -type f 2>/dev/null | while read -r f; do
        [ "$(head -c 2 "$f" | tr -d '\0')" != PK ] || echo "$f"
    done; } | sort -u)
cp "$work/export.xlsx" "$work/books/export.xlsx"
for locale in en_US de_DE fr_FR; do cp "$work/$locale/xlsx/export.xlsx" "$work/books/libreoffice-$locale.xlsx"; done
cp "$work/ssconvert.xlsx" "$work/pandas-nan.xlsx" "$work/books/"
for locale in en_US de_DE; do
    mkdir -p "$work/shown-$locale"
    # 44 commas, 34 quotes, 76 UTF-8, from row 1; the cells' text as shown.
    LC_ALL="$locale.UTF-8" LANG="$locale.UTF-8" soffice -env:UserInstallation="file://$work/lo-$locale" \
        --headless --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true' \
        --outdir "$work/shown-$locale" "$work"/books/*.xlsx >/dev/null 2>&1
    for book in "$work"/books/*.xlsx; do
        name="$(basename "$book" .xlsx)-$locale"
        shown="$work/shown-$locale/$(basename "$book" .xlsx).csv"
        status=0
        rm -f "$work/read.txt"
        # What import reads: number cells of new records taken, as they would be on purpose.
        "$tool" --data "$original" import --accept-conversions "$book" -o "$work/read.txt" >/dev/null 2>&1 ||
            status=$?
        if [ "$status" -ne 0 ]; then
            if [ -e "$work/read.txt" ]; then
                echo "$name: refused but written" >&2
                echo x >>"$work/differ"
            else
                echo "$name: refused"
            fi
            continue
        fi
        if [ ! -e "$shown" ]; then
            echo "$name: LibreOffice did not open it, import did" >&2
            echo x >>"$work/differ"
            continue
        fi
        mkdir -p "$work/read-$name"
        cp "$work/read.txt" "$work/read-$name/specialty.txt"
        "$tool" --data "$work/read-$name" export -o "$work/read-$name/read.csv"
        if /usr/bin/python3 - "$shown" "$work/read-$name/read.csv" <<'EOF'; then
import csv, sys
def rows(path, guarded):
    with open(path, encoding='utf-8-sig', newline='') as f:
        out = []
        for row in csv.reader(f):
            row = (row + [''] * 23)[:23]
            if guarded:
                row = [c[1:] if len(c) > 1 and c[0] == "'" and c[1] in "=+-@\t\r'" else c for c in row]
            if any(row):
                out.append(row)
        return out
shown, read = rows(sys.argv[1], False), rows(sys.argv[2], True)
bad = 0
for r, (a, b) in enumerate(zip(shown, read), 1):
    for c, (x, y) in enumerate(zip(a, b), 1):
        if x != y and bad < 5:
            print('%s: row %d column %d: LibreOffice shows %r, import read %r' % (sys.argv[1], r, c, x, y),
                  file=sys.stderr)
            bad += 1
if len(shown) != len(read):
    print('%s: LibreOffice shows %d rows, import read %d' % (sys.argv[1], len(shown), len(read)), file=sys.stderr)
    bad += 1
sys.exit(1 if bad else 0)
EOF
            echo "$name: agrees with what LibreOffice shows"
        else
            echo x >>"$work/differ"
        fi
    done
done
[ ! -e "$work/differ" ] || failures=$((failures + $(wc -l <"$work/differ")))

if [ "$failures" -ne 0 ]; then
    echo "spreadsheet clients: $failures imports changed the catalogue silently or read other than shown" >&2
    exit 1
fi
echo "spreadsheet clients: every import as shown, or refused with the catalogue unchanged"
