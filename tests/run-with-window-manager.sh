#!/usr/bin/env bash
# Runs a command on a virtual X display with a window manager, as on a user's desktop: Xvfb and openbox.
# The command sees DISPLAY and QT_QPA_PLATFORM=xcb; its exit status is the script's. Nothing is skipped:
# without Xvfb or openbox the run fails and says which package is missing (scripts/test-packages.txt).
#   tests/run-with-window-manager.sh build/tests/test_real_window
set -euo pipefail
for tool in xvfb-run:xvfb xauth:xauth openbox:openbox xprop:x11-utils xwininfo:x11-utils; do
    if ! command -v "${tool%%:*}" >/dev/null; then
        echo "${tool%%:*} is missing: install the Debian package ${tool##*:} (scripts/test-packages.txt)" >&2
        exit 1
    fi
done
# 96 dots per inch, so that 15 twips make a pixel as in the window's design.
exec xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" bash -c '
    set -euo pipefail
    openbox --sm-disable >/dev/null 2>&1 & wm=$!
    trap "kill $wm 2>/dev/null || true" EXIT
    # The window manager is running once it has named itself on the root window.
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
        sleep 0.1
    done
    if ! xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"; then
        echo "openbox did not start on the virtual display" >&2
        exit 1
    fi
    QT_QPA_PLATFORM=xcb "$@"
' _ "$@"
