#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test in that build,
# built with clang++ unless another compiler is named.
#   scripts/sanitize.sh              clang++
#   scripts/sanitize.sh g++          another compiler
set -euo pipefail
cd "$(dirname "$0")/.."
compiler="${1:-clang++}"
scripts/install-packages.sh $(cat scripts/build-packages.txt scripts/test-packages.txt) libclang-rt-14-dev
dir="build-asan-${compiler//+/x}"
cmake -S . -B "$dir" -DCMAKE_CXX_COMPILER="$compiler" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSPECIALTY_SANITIZE=ON -DSPECIALTY_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build "$dir" --parallel "$(nproc)"
ctest --test-dir "$dir" --output-on-failure --parallel "$(nproc)"
