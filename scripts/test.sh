#!/usr/bin/env bash
# Sets up, builds and runs every test: the full build under ctest, then the
# core and its tests once with ThreadSanitizer and once with AddressSanitizer
# and UndefinedBehaviorSanitizer. VELTARA_SKIP_SANITIZERS=1 skips the latter.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
JOBS=${JOBS:-$(nproc)}

scripts/build.sh
(cd build && ctest --output-on-failure -j "$JOBS")

if [ "${VELTARA_SKIP_SANITIZERS:-0}" != 1 ]; then
  for kind in thread address; do
    dir=build-$kind
    BUILD_DIR=$dir scripts/build.sh -DVELTARA_CORE_ONLY=ON -DVELTARA_SANITIZE=$kind -DCMAKE_BUILD_TYPE=Debug
    (cd "$dir" && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
      ASAN_OPTIONS="detect_leaks=1 abort_on_error=1" UBSAN_OPTIONS="print_stacktrace=1 halt_on_error=1" \
      ctest --output-on-failure -j "$JOBS" -LE nosanitize)
  done
fi

# The parsers under libFuzzer for a short while (clang, core only).
if [ "${VELTARA_SKIP_FUZZ:-0}" != 1 ] && ls tests/fuzz/*Fuzzer.cpp >/dev/null 2>&1; then
  BUILD_DIR=build-fuzz CC=clang CXX=clang++ scripts/build.sh -DVELTARA_CORE_ONLY=ON -DVELTARA_FUZZ=ON \
    -DVELTARA_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
  (cd build-fuzz && ctest --output-on-failure -L fuzz)
fi
