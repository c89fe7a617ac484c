#!/bin/sh
# Measures the viewer's first paint, the paint that first shows every slot's picture, its peak memory over
# a whole run and check's time and peak memory on each picture case of bench/hostile_pictures.py (hostile
# files, and camera photographs that must all show). BUILD must be configured with
# -DSPECIALTY_BUILD_BENCHMARKS=ON -DSPECIALTY_DRIVE_ROOT=/tmp/pictures-measure/root/ .
#   bench/measure_hostile_pictures.sh BUILD
#   CASES='camera-*' bench/measure_hostile_pictures.sh BUILD      only the cases matching the pattern
set -eu
build=$1
cases=/tmp/pictures-measure/cases
root=/tmp/pictures-measure/root
python3 "$(dirname "$0")/hostile_pictures.py" "$cases"
selection=$(printf '%-15s%-22s%-32s%-6s%-5s' Hostile X "" 2000 2000)
export QT_QPA_PLATFORM=offscreen
measure() { # label, command...: wall seconds and peak RSS in MB
    label=$1
    shift
    /usr/bin/time -f "%e %M" -o /tmp/pictures-measure/time "$@" >/dev/null 2>&1 || true
    read -r seconds kilobytes <<EOF2
$(tail -n 1 /tmp/pictures-measure/time)
EOF2
    printf '%-26s %-12s %6ss %6d MB\n' "$case" "$label" "$seconds" $((kilobytes / 1024))
}
for folder in "$cases"/${CASES:-*}; do
    case=$(basename "$folder")
    data=$folder/tolvane/quintar/
    mkdir -p "$root" && ln -sfn "$folder/tolvane" "$root/tolvane"
    # startup_viewer writes the monotonic clock at its first paint, then ends.
    paint() { # startup_viewer's arguments: milliseconds from the spawn to the paint it reports
        python3 -c 'import subprocess, sys, time
start = time.monotonic_ns()
try:
    out = subprocess.run(sys.argv[1:], capture_output=True, timeout=20).stdout
except subprocess.TimeoutExpired:
    out = b""
print(round((int(out) - start) / 1e6) if out.strip() else "never")' "$build/bench/startup_viewer" "$@"
    }
    printf '%-26s %-12s %6s ms\n' "$case" "first paint" "$(paint "$data" "$selection")"
    printf '%-26s %-12s %6s ms\n' "$case" "all pictures" "$(paint "$data" "$selection" ALL)"
    measure "to paint+end" "$build/bench/startup_viewer" "$data" "$selection"
    measure "all+end" timeout -s TERM 20 "$build/bench/startup_viewer" "$data" "$selection" ALL
    measure "whole run" timeout -s TERM 6 "$build/viewer/specialty-parts" "$selection"
    measure "check" "$build/tools/specialty-catalogue" check --data "$data"
done
