#!/usr/bin/env bash
# Which commands of the tool load Qt's image library, that check and sheet judge and decode pictures
# through the picture module, and how they fail without it.
#   tests/picture_module_loading.sh TOOL SAMPLE_FOLDER OTHER_BUILD_MODULE
set -uo pipefail
tool=$1
sample=$2
other_build=$3
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
data="$scratch/data"
cp -r "$sample" "$data"
# A picture cut in half: check says it decodes only partly, which only the module's decoder can tell.
head -c "$(($(stat -c %s "$data/AC1001ill.jpg") / 2))" "$sample/AC1001ill.jpg" >"$data/AC1001ill.jpg"
find_args=(find --make Brisko --model Meridian --submodel "Estate 4WD" --years 2003 2003)

readelf -d "$tool" | grep -q 'NEEDED.*libQt6Gui' && fail "the program links libQt6Gui itself"
ldd "$tool" | grep -q 'libQt6Gui' && fail "a library the program links brings libQt6Gui"

# Each case: whether the run maps libQt6Gui, then the arguments. The dynamic loader names every file it
# maps (LD_DEBUG=files), what a run loads late by dlopen as well as what it links.
cases=(
    "no  --version"
    "no  --help"
    "no  --data $data list --codes"
    "no  --data $data export"
    "no  --data $data uses AC1001"
    "no  --data $data diff $data/specialty.txt $sample/specialty.txt"
    "yes --data $data check"
    "yes --data $data sheet -o $scratch/mapped"
)
maps_gui() {
    local loaded
    loaded=$(LD_DEBUG=files "$@" 2>&1 >/dev/null)
    grep -q 'file=libQt6Gui\.so' <<<"$loaded"
}
for entry in "${cases[@]}"; do
    expected=${entry%% *}
    read -r -a args <<<"${entry#* }"
    got=no
    maps_gui "$tool" "${args[@]}" && got=yes
    [ "$got" = "$expected" ] || fail "maps libQt6Gui: $got, expected $expected: ${args[*]}"
done
got=no
maps_gui "$tool" --data "$data" "${find_args[@]}" && got=yes
[ "$got" = no ] || fail "find maps libQt6Gui"

# Through the module: check judges the cut picture, sheet writes thumbnails that are JPEGs and shows the
# same finding.
checked=$("$tool" --data "$data" check 2>&1)
grep -q "AC1001ill.jpg that does not show whole: it decodes only partly" <<<"$checked" ||
    fail "check does not find the cut picture: $checked"
"$tool" --data "$data" sheet -o "$scratch/sheet" >/dev/null || fail "sheet through the module"
thumbnails=$(find "$scratch/sheet" -name 'p*.jpg' | wc -l)
[ "$thumbnails" -ge 10 ] || fail "sheet wrote $thumbnails thumbnails"
for thumbnail in "$scratch"/sheet/*/p0.jpg; do
    [ "$(head -c 3 "$thumbnail" | od -An -tx1 | tr -d ' ')" = ffd8ff ] || fail "$thumbnail is no JPEG"
done
grep -rqF "does not show whole: it decodes only partly" "$scratch/sheet" || fail "the sheet lacks check's finding"

# The program alone in a folder, then beside a file of that name that is no module, then beside a module
# of another build: the commands that need no pictures still work; check and sheet fail, naming the module
# and why it did not load.
alone="$scratch/bin/specialty-catalogue"
mkdir -p "$scratch/bin"
cp "$tool" "$alone"
module="$scratch/bin/specialty-catalogue-pictures.so"
libz=$(ldd "$tool" | awk '/libz\.so/ {print $3}')
setups=(
    "missing||cannot be loaded: cannot open shared object file"
    "not a module|$libz|cannot be loaded: undefined symbol: specialtyPictureModule"
    "of another build|$other_build|is version 0, this program needs version "
)
for setup in "${setups[@]}"; do
    IFS='|' read -r what source why <<<"$setup"
    rm -f "$module"
    [ -z "$source" ] || cp "$source" "$module"
    "$alone" --version >/dev/null || fail "--version, module $what"
    "$alone" --data "$data" "${find_args[@]}" >/dev/null || fail "find, module $what"
    for command in check "sheet -o $scratch/sheet-alone"; do
        read -r -a args <<<"$command"
        message=$("$alone" --data "$data" "${args[@]}" 2>&1 >/dev/null)
        status=$?
        [ "$status" -eq 2 ] || fail "$command, module $what: exit status $status, expected 2"
        [[ "$message" == "The picture module $scratch/"*"/specialty-catalogue-pictures.so $why"* ]] || fail "$command, module $what, says: $message"
        json=$("$alone" --json --data "$data" "${args[@]}" 2>/dev/null)
        grep -qE '"outcome": ?"failed"' <<<"$json" || fail "$command --json, module $what, writes: $json"
    done
    [ ! -e "$scratch/sheet-alone" ] || fail "sheet wrote without its module"
done

[ "$failures" -eq 0 ] || exit 1
echo "picture module loading: every case passes"
