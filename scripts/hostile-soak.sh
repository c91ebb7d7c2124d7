#!/usr/bin/env bash
# The hostile-clip soak at full length: 200 clips (hostile ones mixed with
# good ones) through the playlist in one run of the program. CI runs a
# shorter one. Needs a built program (scripts/build.sh); BUILD_DIR chooses it.
# The figures go to standard output and to $VELTARA_HOSTILE_SOAK_REPORT.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
export VELTARA_HOSTILE_SOAK_CLIPS=${VELTARA_HOSTILE_SOAK_CLIPS:-200}
exec tests/run-in-xvfb.sh 1280x800x24 "$BUILD_DIR/tests/SoakTest" \
  --gtest_filter='*HostileClipsAmongGoodOnes*'
