#!/usr/bin/env bash
# Runs every fuzz target for SECONDS each (default 600), two at a time, from its seed corpus and
# what earlier runs found (build-asan/fuzz/found/). Inputs that break a target are saved as
# build-asan/fuzz/<target>-crash-*; run the target with that file as its argument to see why.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-600}"
scripts/setup.sh --test --deps-only
CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTOLV_SANITIZE=ON -DTOLV_FUZZ=ON -DTOLV_FUZZ_SECONDS="$seconds" >/dev/null
cmake --build build-asan -j"$(nproc)"
cd build-asan
ctest --output-on-failure -L fuzz -j"$(nproc)"
