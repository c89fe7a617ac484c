#!/usr/bin/env bash
# Peak memory and time of specialty-catalogue find past records with long SpareFields, and the description
# view's times (bench_description). Memory must not grow with the length of a field.
#   bench/measure_long_fields.sh [BUILD_DIR]
set -euo pipefail
build="${1:-build}"
tool="$build/tools/specialty-catalogue"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# 100 records before the wanted one, each with a SpareField of SIZE bytes.
catalogue() {
    python3 - "$1" "$2" <<'PY'
import sys
size, path = int(sys.argv[1]), sys.argv[2]
with open(path, "w", newline="") as f:
    for n in range(1, 101):
        f.write(f'{n},{"s" * size},Brisko,Meridian,,2001,2008,B1' + "," * 15 + "\r\n")
    f.write("200,,Aldena,Tarsa,GL,1998,2004,A1" + "," * 15 + "\r\n0" + "," * 22 + "\r\n")
PY
}
printf '%-28s %12s %10s\n' "catalogue" "peak RSS KB" "seconds"
for size in 100 204800 1048576; do
    catalogue "$size" "$work/specialty.txt"
    /usr/bin/time -f '%M %e' -o "$work/time" "$tool" --data "$work" find --make Aldena --model Tarsa \
        --submodel GL --years 2000 2000 >/dev/null
    read -r rss seconds <"$work/time"
    printf '%-28s %12s %10s\n' "100 SpareFields of $size B" "$rss" "$seconds"
done
QT_QPA_PLATFORM=offscreen "$build/bench/bench_description"
