#!/usr/bin/env bash
# Configures and builds the program folder build/bin (after scripts/setup.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
JOBS=${JOBS:-$(nproc)}
LAUNCHER=()
# A compiler cache, where the machine has one, makes rebuilds of other trees cheap.
if command -v ccache >/dev/null 2>&1 && [ "${VELTARA_NO_CCACHE:-0}" != 1 ]; then
  LAUNCHER=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  # Paths inside the tree are hashed relative to it, so clones share the cache.
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
fi
cmake -S . -B "$BUILD_DIR" -G Ninja "${LAUNCHER[@]}" "$@"
cmake --build "$BUILD_DIR" -j "$JOBS"
