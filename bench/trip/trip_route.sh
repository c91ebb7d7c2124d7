#!/usr/bin/env bash
# Prepares the clips of TripRouteRun and runs it in an X server of its own:
#   drive/        60 one-minute clips of one drive (make_clips.sh)
#   single/       the drive's first clip alone
#   eight-hours/  eight copies of make_clips.sh's hour clip: one trip of
#                 eight hours, 288,000 fixes
#   novatek/, gpmf/  60 one-minute clips of a drive in those camera layouts
#                 (MakeTelemetryClips --video), and novatek-single/,
#                 gpmf-single/ with their first clip alone
#
#   bench/trip/trip_route.sh [BUILD_DIR] [CLIP_FOLDER]
#
# BUILD_DIR defaults to build; CLIP_FOLDER (kept between runs) to a
# temporary folder. VELTARA_BENCH_ROUNDS sets the rounds (3). Exit status 1
# when a target is missed.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build}
run=$build/bench/TripRouteRun
[[ -x $run ]] || { echo "no TripRouteRun in $build/bench (build first)" >&2; exit 2; }
ffmpeg=$build/bin/FFMpeg/ffmpeg
[[ -x $ffmpeg ]] || ffmpeg=$(command -v ffmpeg)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
clips=${2:-$work/clips}
"$here/../trackindex/make_clips.sh" "$clips" "$ffmpeg"
mkdir -p "$clips/single" "$clips/eight-hours"
cp -n "$clips/drive/2026_1207_100000_F.MP4" "$clips/single/"
for h in 0 1 2 3 4 5 6 7; do
    cp -n "$clips/hour.mp4" "$clips/eight-hours/2026_1207_1${h}0000_F.MP4"
done

[[ -x $build/bench/MakeTelemetryClips ]] && "$build/bench/MakeTelemetryClips" --video "$clips" novatek gpmf

VELTARA_BENCH_CLIPS=$clips "$here/../../tests/run-in-xvfb.sh" 1280x800x24 "$run"
