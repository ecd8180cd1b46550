#!/usr/bin/env bash
# Builds everything with clang, AddressSanitizer and UndefinedBehaviorSanitizer in ./build-asan,
# together with the fuzz targets, then runs every test there and each fuzz target for a few seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --test --deps-only

CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTOLV_SANITIZE=ON -DTOLV_FUZZ=ON -DTOLV_FUZZ_SECONDS=10 >/dev/null
cmake --build build-asan -j"$(nproc)"
cd build-asan
ctest --output-on-failure -j"$(nproc)"
