#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test in that build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-packages.sh $(cat scripts/build-packages.txt)
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSPECIALTY_SANITIZE=ON \
    -DSPECIALTY_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build build-asan --parallel "$(nproc)"
ctest --test-dir build-asan --output-on-failure --parallel "$(nproc)"
