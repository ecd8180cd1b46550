#!/usr/bin/env bash
# Builds the launcher and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
exec build/bin/TOLVStrel "$@"
