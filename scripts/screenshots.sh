#!/usr/bin/env bash
# Takes the playing, first-start, settings-window, road, trip, review, event, car-panel and car-camera pictures again into
# docs/screenshots/ (after scripts/build.sh; needs xvfb-run).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
export VELTARA_SCREENSHOT_DIR="$PWD/docs/screenshots"
ctest --test-dir "$BUILD_DIR" -R '^(ProgramTest|FirstStartTest|DialogScreenshotTest|EndToEndTest|TripEndToEndTest|MapSeekTest|ReviewControlsTest|EventReviewTest|VehiclePanelTest|CarCamerasGridTest)$' --output-on-failure
