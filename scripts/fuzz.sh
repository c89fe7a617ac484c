#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while (default 20 seconds) on a copy of the
# committed seed corpus. A finding stops the script with the fuzzer's report and a crash-* file to replay.
#   scripts/fuzz.sh            smoke run, as in CI
#   scripts/fuzz.sh 3600       an hour per target
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-20}"
scripts/install-packages.sh cmake make clang libclang-rt-14-dev qt6-base-dev libminizip-dev pkg-config
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSPECIALTY_FUZZ=ON \
    -DSPECIALTY_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build build-fuzz --parallel "$(nproc)"
for target in list_reader search description jpeg_scans import_round_trip xlsx_reader conversion_guard; do
    corpus="build-fuzz/corpus/$target"
    mkdir -p "$corpus"
    cp -n tests/fuzz/corpus/$target/* "$corpus/"
    echo "fuzz_$target: ${seconds}s"
    status=0
    build-fuzz/tests/fuzz/fuzz_$target -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix=build-fuzz/ "$corpus" >build-fuzz/fuzz_$target.log 2>&1 || status=$?
    grep -E '^Done|^stat::number_of_executed_units' build-fuzz/fuzz_$target.log || true
    if [ "$status" -ne 0 ]; then
        tail -n 40 build-fuzz/fuzz_$target.log
        exit "$status"
    fi
done
