#!/bin/sh
# CPU seconds of `specialty-catalogue sheet` on 10,000 records with 3,000 part pictures (1600x1200 JPEG
# photos) against libjpeg alone decoding each picture once at 1/2 with DCT scaling and writing it, in
# alternating runs; prints each pair and the ratio's range.
# Usage: bench/measure_sheet_decode.sh BUILD_DIR [RUNS] [WORK_DIR]
# Needs: netpbm (the pictures), libjpeg-dev (the peer), bc.
set -eu
build=$1
runs=${2:-3}
work=${3:-/tmp/sheet-decode-bench}
here=$(cd "$(dirname "$0")" && pwd)
tool="$build/tools/specialty-catalogue"
data="$work/data"
mkdir -p "$work"
if [ ! -f "$data/specialty.txt" ]; then
    mkdir -p "$data"
    # Six different photos, each under 500 names: decoding costs the same whichever file it is.
    for seed in 1 2 3 4 5 6; do
        ppmpat -camo -randomseed=$seed 1600 1200 > "$work/seed.ppm"
        pgmnoise -randomseed=$seed 1600 1200 | pgmtoppm white > "$work/noise.ppm"
        pnmarith -multiply "$work/seed.ppm" "$work/noise.ppm" 2> /dev/null |
            pnmtojpeg --quality=90 > "$work/seed$seed.jpg" ||
            pnmtojpeg --quality=90 "$work/seed.ppm" > "$work/seed$seed.jpg"
    done
    n=0
    while [ $n -lt 3000 ]; do
        cp "$work/seed$((n % 6 + 1)).jpg" "$data/$(printf 'P%04d' $n)ill.jpg"
        n=$((n + 1))
    done
    rm -f "$work"/seed*.ppm "$work"/seed*.jpg "$work/noise.ppm"
    python3 - "$data" <<'PY'
import sys, os
with open(os.path.join(sys.argv[1], "specialty.txt"), "w", newline="") as f:
    for n in range(1, 10001):
        codes = ["P%04d" % ((n * 7 + s * 1009) % 3000) for s in range(6)] + [""] * 10
        f.write("%d,,Make%03d,Model%d,Sub%d,1990,2005,%s\r\n" % (n, n % 150, n % 37, n % 5, ",".join(codes)))
    f.write("0,,,,,,," + "," * 15 + "\r\n")
PY
fi
peer="$work/jpeg_half_decode"
[ -x "$peer" ] || g++ -O2 -o "$peer" "$here/jpeg_half_decode.cpp" -ljpeg
cpu() { # user + system seconds of the command
    /usr/bin/time -f '%U %S' -o "$work/time.txt" "$@" > /dev/null
    read -r user system < "$work/time.txt"
    echo "$user + $system" | bc
}
ls "$data"/*ill.jpg > "$work/pictures.txt"
run=1
ratios=""
while [ $run -le "$runs" ]; do
    rm -rf "$work/out" "$work/ppm"
    mkdir -p "$work/ppm"
    sheet=$(cpu "$tool" --data "$data" sheet -o "$work/out")
    libjpeg=$(cpu xargs -a "$work/pictures.txt" "$peer" "$work/ppm")
    ratio=$(echo "scale=2; $sheet / $libjpeg" | bc)
    echo "run $run: sheet_cpu_s=$sheet libjpeg_cpu_s=$libjpeg ratio=$ratio"
    ratios="$ratios $ratio"
    run=$((run + 1))
done
echo "$ratios" | tr ' ' '\n' | sed '/^$/d' | sort -n | awk '{r[NR]=$1} END {print "ratio range " r[1] "-" r[NR]}'
