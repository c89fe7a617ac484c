#!/usr/bin/env bash
# Installs what is missing, then builds with warnings as errors and runs every test, once with g++ and
# once with clang++.
#   scripts/test.sh              both compilers
#   scripts/test.sh g++          one of them
set -euo pipefail
cd "$(dirname "$0")/.."
compilers=("$@")
[ ${#compilers[@]} -gt 0 ] || compilers=(g++ clang++)
# The tests also run real programs that users use: a spreadsheet, headless.
scripts/install-packages.sh $(cat scripts/build-packages.txt scripts/test-packages.txt)
for compiler in "${compilers[@]}"; do
    case "$compiler" in
    g++) dir=build ;;
    clang++) dir=build-clang ;;
    *) echo "unknown compiler $compiler" >&2; exit 2 ;;
    esac
    echo "== $compiler =="
    cmake -S . -B "$dir" -DCMAKE_CXX_COMPILER="$compiler" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DSPECIALTY_WARNINGS_AS_ERRORS=ON >/dev/null
    cmake --build "$dir" --parallel "$(nproc)"
    ctest --test-dir "$dir" --output-on-failure --parallel "$(nproc)"
done
