#!/usr/bin/env bash
# Times the in-process track reader of veltara-track against bare ffmpeg in
# the same run, best of three each:
#   1. one clip with an hour of track (36,000 cues):
#        veltara-track --reader native --sampling all CLIP
#      against ffmpeg -i CLIP -vn -an -scodec srt -f srt -      (target <= 0.12)
#   2. a folder of 60 one-minute clips (30 frames/s, 10 texts/s): the tool
#      over the folder against a loop of ffmpeg over the clips (target <= 0.1),
#      and with a warm track index (target <= 0.01).
# exiftool -ee on the hour clip is shown as a second reference when installed.
#
#   bench/trackindex/native_vs_ffmpeg.sh [PROGRAM_FOLDER] [CLIP_FOLDER]
#
# PROGRAM_FOLDER defaults to build/bin; CLIP_FOLDER (made by make_clips.sh,
# kept between runs) defaults to a temporary folder. Exit status 1 when a
# target is missed.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
program=${1:-$here/../../build/bin}
tool=$program/veltara-track
ffmpeg=$program/FFMpeg/ffmpeg
[[ -x $ffmpeg ]] || ffmpeg=$(command -v ffmpeg)
[[ -x $tool ]] || { echo "no veltara-track in $program (build first)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
clips=${2:-$work/clips}
"$here/make_clips.sh" "$clips" "$ffmpeg"
hour=$clips/hour.mp4
drive=$clips/drive
export XDG_CACHE_HOME=$work/cache

source "$here/../timing.sh"
ffmpeg_loop() { for f in "$drive"/*.MP4; do "$ffmpeg" -i "$f" -vn -an -scodec srt -f srt - > /dev/null 2>&1; done; }
export -f ffmpeg_loop
export ffmpeg drive

rows=$("$tool" --reader native --sampling all "$hour" | wc -l)
[[ $rows -eq 36001 ]] || { echo "veltara-track wrote $((rows - 1)) records, expected 36000" >&2; exit 1; }
"$tool" --index "$drive" > /dev/null  # fills the index

declare -A best
for round in 1 2 3; do
    for name in hour_tool hour_ffmpeg hour_exiftool folder_tool folder_ffmpeg folder_warm; do
        case $name in
            hour_tool) t=$(seconds "$tool" --reader native --sampling all "$hour") ;;
            hour_ffmpeg) t=$(seconds "$ffmpeg" -i "$hour" -vn -an -scodec srt -f srt -) ;;
            hour_exiftool) command -v exiftool > /dev/null || continue
                t=$(seconds exiftool -ee "$hour") ;;
            folder_tool) t=$(seconds "$tool" --reader native "$drive") ;;
            folder_ffmpeg) t=$(seconds bash -c ffmpeg_loop) ;;
            folder_warm) t=$(seconds "$tool" --index "$drive") ;;
        esac
        best[$name]=$(lower "${best[$name]:-}" "$t")
    done
    echo "round $round (best so far): hour: tool ${best[hour_tool]}s ffmpeg ${best[hour_ffmpeg]}s;" \
         "folder: tool ${best[folder_tool]}s warm index ${best[folder_warm]}s ffmpeg loop ${best[folder_ffmpeg]}s"
done

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
status=0
check() {  # name ratio target
    local verdict=ok
    awk -v r="$2" -v t="$3" 'BEGIN { exit !(r <= t) }' || { verdict=MISSED; status=1; }
    echo "$1: ratio $2 (target <= $3) $verdict"
}
echo "best of three (seconds): hour clip: veltara-track ${best[hour_tool]}, ffmpeg ${best[hour_ffmpeg]}" \
     "${best[hour_exiftool]:+, exiftool -ee ${best[hour_exiftool]}}"
echo "  60 clips: veltara-track ${best[folder_tool]}, with warm index ${best[folder_warm]}, ffmpeg loop ${best[folder_ffmpeg]}"
check "hour of track, native vs ffmpeg" "$(ratio "${best[hour_tool]}" "${best[hour_ffmpeg]}")" 0.12
check "60 clips, native vs ffmpeg loop" "$(ratio "${best[folder_tool]}" "${best[folder_ffmpeg]}")" 0.1
check "60 clips, warm index vs ffmpeg loop" "$(ratio "${best[folder_warm]}" "${best[folder_ffmpeg]}")" 0.01
exit $status
