#!/usr/bin/env bash
# Installs what is missing, builds the viewer on the bundled sample catalogue and starts it in demo mode.
# Without a display it runs under a virtual one, saves a screenshot of the window and prints its path.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
if [ -z "${DISPLAY:-}" ]; then
    scripts/install-packages.sh $(cat scripts/build-packages.txt) xvfb xauth x11-apps xdotool netpbm
else
    scripts/install-packages.sh $(cat scripts/build-packages.txt)
fi
cmake -S . -B build-sample -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSPECIALTY_DRIVE_ROOT="$repo/sample" \
    -DBUILD_TESTING=OFF -DSPECIALTY_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build-sample --parallel "$(nproc)" --target specialty-parts
viewer="$repo/build-sample/viewer/specialty-parts"
if [ ! -x "$viewer" ]; then
    echo "the build did not produce $viewer" >&2
    exit 1
fi

if [ -n "${DISPLAY:-}" ]; then
    exec "$viewer"
fi

shot="${1:-$repo/build-sample/demo-screenshot.png}"
rm -f "$shot"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    set -euo pipefail
    "$1" & viewer=$!
    trap "kill \$viewer 2>/dev/null || true" EXIT
    window=$(timeout 20 xdotool search --sync --class specialty-parts | head -n 1) || true
    if [ -z "$window" ]; then
        echo "the viewer showed no window within 20 seconds" >&2
        exit 1
    fi
    sleep 1
    xwd -id "$window" -silent | xwdtopnm 2>/dev/null | pnmtopng > "$2"
' _ "$viewer" "$shot"
if [ ! -s "$shot" ]; then
    echo "no screenshot was taken" >&2
    exit 1
fi
echo "Screenshot of the viewer in demo mode: $shot"
