#!/usr/bin/env bash
# Checks that a screenshot taken by scripts/run-demo.sh shows the viewer's window: a PNG of the window's
# size (704 x 549 pixels at 96 dpi) with more than a handful of colours, so neither an empty file, a
# blank window nor a stray one passes. CI runs it on the README's demo command.
#   scripts/check-screenshot.sh SHOT.png
set -euo pipefail
shot="$1"
expected="704 549"
size=$(pngtopam "$shot" | pamfile -size 2>/dev/null || true)
if [ "$size" != "$expected" ]; then
    echo "$shot: expected the window's $expected pixels, found '${size:-no picture}'" >&2
    exit 1
fi
colours=$(pngtopam "$shot" | pamtopnm | ppmhist -noheader | wc -l)
if [ "$colours" -lt 16 ]; then
    echo "$shot: only $colours colours; the window looks blank" >&2
    exit 1
fi
echo "$shot: the window, $expected pixels, $colours colours"
