#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-packages.sh $(cat scripts/build-packages.txt)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSPECIALTY_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build build --parallel "$(nproc)"
ctest --test-dir build --output-on-failure --parallel "$(nproc)"
