#!/bin/sh
# Peak memory, time and files of `specialty-catalogue sheet` on two large catalogues:
#   makes     RECORDS records, each its own make with 16 part codes of its own, no picture files;
#   pictures  RECORDS records of 200 makes sharing 36,000 part codes, 9,000 of them with a 320x240
#             picture and a description.
# Usage: bench/measure_sheet.sh BUILD_DIR makes|pictures RECORDS [WORK_DIR]
# Prints one line: case, records, peak RSS in MB, wall time, CPU seconds, files and bytes written.
set -eu
build=$1
kind=$2
records=$3
work=${4:-/tmp/sheet-bench}
tool="$build/tools/specialty-catalogue"
data="$work/$kind-$records"
out="$work/out-$kind-$records"
mkdir -p "$work"
if [ ! -f "$data/specialty.txt" ]; then
    mkdir -p "$data"
    python3 - "$data" "$kind" "$records" <<'PY'
import sys, os, struct
data, kind, records = sys.argv[1], sys.argv[2], int(sys.argv[3])
with open(os.path.join(data, "specialty.txt"), "w", newline="") as f:
    for n in range(1, records + 1):
        if kind == "makes":
            make, codes = "Make%06d" % n, ["C%06d%02d" % (n, s) for s in range(16)]
        else:
            make = "Make%03d" % (n % 200)
            codes = ["P%05d" % ((n * 7 + s * 2251) % 36000) for s in range(6)] + [""] * 10
        f.write("%d,,%s,Model%d,Sub%d,1990,2005,%s\r\n" % (n, make, n % 37, n % 5, ",".join(codes)))
    f.write("0,,,,,,," + "," * 15 + "\r\n")
PY
    if [ "$kind" = pictures ]; then
        # 9,000 pictures: one JPEG made once, copied under each name.
        python3 - "$data" <<'PY'
import sys, os, shutil, subprocess
data = sys.argv[1]
seed = os.path.join(data, "seed.ppm")
with open(seed, "wb") as f:
    f.write(b"P6 320 240 255\n" + bytes((x * 3 + y) % 256 for y in range(240) for x in range(320) for _ in range(3)))
PY
        pnmtojpeg --quality=85 "$data/seed.ppm" > "$data/seed.jpg" # Debian: netpbm
        n=0
        while [ $n -lt 9000 ]; do
            code=$(printf 'P%05d' $((n * 4)))
            cp "$data/seed.jpg" "$data/${code}ill.jpg"
            printf 'Part %s\r\n' "$code" > "$data/$code.txt"
            n=$((n + 1))
        done
        rm -f "$data/seed.ppm" "$data/seed.jpg"
    fi
fi
rm -rf "$out"
/usr/bin/time -f '%M %e %U %S' -o "$work/time.txt" "$tool" --data "$data" sheet -o "$out" > /dev/null
read -r rss wall user system < "$work/time.txt"
files=$(find "$out" -type f | wc -l)
bytes=$(du -sb "$out" | cut -f1)
echo "$kind records=$records peak_rss_mb=$((rss / 1024)) wall_s=$wall cpu_s=$(echo "$user + $system" | bc) files=$files bytes_mb=$((bytes / 1048576))"
