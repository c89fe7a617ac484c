#!/usr/bin/env bash
# Renders review sheets of specialty-catalogue in headless Chromium and checks them as a reader sees them
# (scripts/check-sheet.js): the sample's sheet, whose pictures must all decode and whose missing files must
# be marked, and a hostile catalogue's, whose markup, quotes and "../" in names and codes must show as
# text and lead nowhere outside the sheet. Saves a screenshot of the sample's sheet. CI runs it.
#   scripts/check-sheet.sh [SCREENSHOT.png]
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
scripts/install-packages.sh $(cat scripts/build-packages.txt) chromium nodejs netpbm
cmake -S . -B build-sample -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSPECIALTY_DRIVE_ROOT="$repo/sample" \
    -DBUILD_TESTING=OFF -DSPECIALTY_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build-sample --parallel "$(nproc)" --target specialty-catalogue
tool="$repo/build-sample/tools/specialty-catalogue"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
shot="${1:-$repo/build-sample/sheet-screenshot.png}"

"$tool" --data sample/tolvane/quintar sheet -o "$work/sample"
cat > "$work/sample.json" <<JSON
{"folder": "$work/sample", "screenshot": {"page": "make-1.html", "file": "$shot"},
 "pages": [{"page": "make-1.html", "images": 16, "texts": ["(1002) 2001-2008 Brisko Meridian Estate 4WD", "slot 1"],
            "marks": ["no description", "no picture"],
            "order": ["Aldena Tarsa", "Brisko Meridian", "Corvane Atlas", "Lumen Arc", "V\u00e9lomar \u00c9toile"],
            "linksTo": [{"text": "has no picture file ZZ9999ill.jpg", "to": "parts-1.html#p"}]},
           {"page": "parts-1.html", "images": 16, "marks": ["no picture file ZZ9999ill.jpg",
            "no description file AC1006.txt"]},
           {"page": "index.html", "texts": ["0 errors, 4 warnings", "Aldena Tarsa to V\u00e9lomar \u00c9toile"],
            "linksTo": [{"exactly": "A", "to": "#i"}, {"text": "Makes Aldena to", "to": "make-1.html"}]}]}
JSON
node scripts/check-sheet.js "$work/sample.json"

# A catalogue whose names, codes and description are markup, quotes and paths. In the catalogue a "*" in
# Model stands for a double quote.
hostile="$work/hostile"
mkdir -p "$hostile/data"
printf '%s\r\n' \
    '1,,"<script>alert(1)</script>","*><img src=x>","<i>sub</i> & co",2000,2005,../evil,<b>x</b>,Q'"'"'1,P1,,,,,,,,,,,,' \
    '2,,"../../etc","<a href=x>link</a>",,2001,2002,P1,,,,,,,,,,,,,,,' \
    '0,,,,,,,,,,,,,,,,,,,,,,' > "$hostile/data/specialty.txt"
cp sample/tolvane/quintar/AC1001ill.jpg "$hostile/data/P1ill.jpg"
printf '<img src=x onerror=alert(1)>\r\n' > "$hostile/data/P1.txt"
printf 'not a picture' > "$hostile/data/Q'1ill.jpg"
"$tool" --data "$hostile/data" sheet -o "$hostile/sheet"
cat > "$work/hostile.json" <<JSON
{"folder": "$hostile/sheet",
 "pages": [{"page": "make-1.html", "images": 1,
            "texts": ["<script>alert(1)</script>", "\"><img src=x>", "<i>sub</i> & co", "<b>x</b>", "Q'1"],
            "marks": ["picture does not decode", "not a file name"]},
           {"page": "make-1.html", "texts": ["../../etc", "<a href=x>link</a>"]},
           {"page": "index.html", "linksTo": [{"exactly": "#", "to": "#i"}]},
           {"page": "parts-1.html", "images": 1, "texts": ["../evil", "<img src=x onerror=alert(1)>"]}]}
JSON
node scripts/check-sheet.js "$work/hostile.json"
# Nothing beside the sheet's folder, and no link in it.
if [ -n "$(find "$hostile/sheet" -type l)" ] || [ "$(ls -A "$hostile" | tr '\n' ' ')" != "data sheet " ] ||
    [ -n "$(find "$work" -mindepth 1 -maxdepth 1 -newer "$work/hostile.json")" ]; then
    echo "the hostile sheet wrote outside its folder" >&2
    exit 1
fi

colours=$(pngtopam "$shot" | pamtopnm | ppmhist -noheader | wc -l)
if [ "$colours" -lt 64 ]; then
    echo "$shot: only $colours colours; the sheet looks blank" >&2
    exit 1
fi
echo "$shot: the sample's sheet, $colours colours"
