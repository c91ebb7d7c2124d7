#!/usr/bin/env bash
# Configures and builds the program folder build/bin (after scripts/setup.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
JOBS=${JOBS:-$(nproc)}
cmake -S . -B "$BUILD_DIR" -G Ninja "$@"
cmake --build "$BUILD_DIR" -j "$JOBS"
