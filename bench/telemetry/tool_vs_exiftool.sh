#!/usr/bin/env bash
# Times veltara-track against `exiftool -ee` on the clips of every camera
# layout, best of three each, in the same run:
#   1. one one-minute clip:  veltara-track CLIP  against  exiftool -ee CLIP   (target <= 0.1)
#   2. a folder of 60 one-minute clips, cold (no track index):
#      veltara-track FOLDER  against  exiftool -ee FOLDER                     (target <= 0.05, aim 0.02)
#
#   bench/telemetry/tool_vs_exiftool.sh [BUILD_FOLDER] [CLIP_FOLDER] [LAYOUT...]
#
# BUILD_FOLDER defaults to build; CLIP_FOLDER (kept between runs) to a
# temporary folder. Exit status 1 when a target is missed.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build}
tool=$build/bin/veltara-track
maker=$build/bench/MakeTelemetryClips
[[ -x $tool && -x $maker ]] || { echo "no veltara-track or MakeTelemetryClips in $build (build first)" >&2; exit 2; }
command -v exiftool > /dev/null || { echo "exiftool is not installed" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
clips=${2:-$work/clips}
shift $(( $# > 2 ? 2 : $# ))
"$maker" "$clips" "$@"
export XDG_CACHE_HOME=$work/cache  # no index: every run reads the clips

source "$here/../timing.sh"
status=0
for one in "$clips"/one/*.mp4; do
    layout=$(basename "$one" .mp4)
    folder=$clips/$layout
    declare -A best=()
    for round in 1 2 3; do
        best[tool]=$(lower "${best[tool]:-}" "$(seconds "$tool" "$one")")
        best[exif]=$(lower "${best[exif]:-}" "$(seconds exiftool -ee "$one")")
        best[ftool]=$(lower "${best[ftool]:-}" "$(seconds "$tool" "$folder")")
        best[fexif]=$(lower "${best[fexif]:-}" "$(seconds exiftool -ee "$folder")")
    done
    r1=$(awk -v a="${best[tool]}" -v b="${best[exif]}" 'BEGIN { printf "%.3f", a / b }')
    r2=$(awk -v a="${best[ftool]}" -v b="${best[fexif]}" 'BEGIN { printf "%.3f", a / b }')
    echo "$layout: one clip ${best[tool]}s vs exiftool ${best[exif]}s = $r1 (target 0.1);" \
         "60 clips ${best[ftool]}s vs exiftool ${best[fexif]}s = $r2 (target 0.05)"
    awk -v a="$r1" -v b="$r2" 'BEGIN { exit !(a <= 0.1 && b <= 0.05) }' || status=1
done
exit $status
