#!/usr/bin/env bash
# Times the reading of a car's per-frame data, in the same run as its
# baselines:
#   1. one minute of a 1280x960 36 frames/s front clip, warm cache, in-process:
#      reading its per-frame data against reading the file once   (target <= 0.25)
#      for two clips: the plain test picture (10.6 MB, 4.7 KB a frame) and a
#      noisy one at a car's bit rate (36 MB, 16 KB a frame)
#   2. an hour of the car's four cameras (60 one-minute clips each, the data
#      in the front clip), indexed cold (a new track index every round):
#      veltara-track --info --index FOLDER, best of three            (target <= 2 s)
#
#   bench/telemetry/vehicle_sei.sh [BUILD_FOLDER] [CLIP_FOLDER]
#
# BUILD_FOLDER defaults to build; CLIP_FOLDER (kept between runs: making the
# three clips takes minutes) to a temporary folder. The hour's clips are hard
# links to the two one-minute clips. Exit status 1 when a target is missed.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build}
run=$build/bench/VehicleSeiRun
tool=$build/bin/veltara-track
[[ -x $run && -x $tool ]] || { echo "no VehicleSeiRun or veltara-track in $build (build first)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
clips=${2:-$work/clips}
"$run" --make "$clips"

status=0
for clip in one dense; do
    echo -n "$clip: "
    "$run" --time "$clips/$clip/2026-12-07_10-00-00-front.mp4" 10 || status=1
done

source "$here/../timing.sh"
export XDG_CACHE_HOME=$work/cache  # the track index of this run only
best=
for round in 1 2 3; do
    rm -rf "$work/cache"
    best=$(lower "$best" "$(seconds "$tool" --info --index "$clips/hour")")
done
verdict=ok
awk -v t="$best" 'BEGIN { exit !(t <= 2.0) }' || { verdict=MISSED; status=1; }
echo "an hour of four cameras indexed cold: best of three $best s (target <= 2) $verdict"
"$tool" --info "$clips/hour" | awk -F'\t' 'NR > 1 { n[$2]++ } END { for (f in n) printf "  %s: %d clips\n", f, n[f] }'
exit $status
