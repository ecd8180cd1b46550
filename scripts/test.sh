#!/usr/bin/env bash
# Builds the launcher and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --test
cd build
ctest --output-on-failure -j"$(nproc)"
