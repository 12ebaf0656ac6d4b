#!/usr/bin/env bash
# Builds every libFuzzer target with clang and runs each for a fixed time.
#   scripts/fuzz.sh [seconds-per-target]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-20}"

"$(dirname "$0")/install-deps.sh" fuzz

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMATRIX_BUILD_FUZZ=ON -DMATRIX_BUILD_TESTS=OFF -DMATRIX_BUILD_BENCH=OFF
targets=$(cd fuzz && ls fuzz_*.cpp | sed 's/\.cpp$//')
# shellcheck disable=SC2086
cmake --build build-fuzz -j"$(nproc)" --target $targets
for target in $targets; do
    # New inputs go to the working corpus; the committed seeds (files as found in the field)
    # are read as well.
    corpus="build-fuzz/corpus/$target"
    mkdir -p "$corpus"
    seeds=()
    if [ -d "fuzz/corpus/$target" ]; then
        seeds=("fuzz/corpus/$target")
    fi
    echo "== $target: ${seconds}s"
    log="build-fuzz/$target.log"
    if ! "build-fuzz/fuzz/$target" -max_total_time="$seconds" -artifact_prefix=build-fuzz/ \
        "$corpus" "${seeds[@]}" >"$log" 2>&1; then
        tail -n 60 "$log"
        echo "== $target FAILED (reproducer in build-fuzz/)"
        exit 1
    fi
    tail -n 1 "$log"
done
