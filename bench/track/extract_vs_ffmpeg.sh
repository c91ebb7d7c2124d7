#!/usr/bin/env bash
# Times veltara-track through the converter (--reader ffmpeg, the player's
# extraction) against the bare converter on a 60-minute camera clip with 10
# track cues a second, best of three each, in the same run.
#
#   bench/track/extract_vs_ffmpeg.sh [PROGRAM_FOLDER]
#
# PROGRAM_FOLDER defaults to build/bin. The target: the tool takes at most
# 1.15 times as long as ffmpeg copying the same subtitle stream as SRT to
# /dev/null. Exit status 1 when the target is missed.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
program=${1:-$here/../../build/bin}
tool=$program/veltara-track
ffmpeg=$program/FFMpeg/ffmpeg
[[ -x $ffmpeg ]] || ffmpeg=$(command -v ffmpeg)
[[ -x $tool ]] || { echo "no veltara-track in $program (build first)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$here/../trackindex/make_clips.sh" "$work/clips" "$ffmpeg" hour
clip=$work/clips/hour.mp4
cues=36000
source "$here/../timing.sh"

best_tool=""
best_ffmpeg=""
for round in 1 2 3; do
    t=$(seconds "$tool" --reader ffmpeg --sampling all "$clip")
    f=$(seconds "$ffmpeg" -i "$clip" -vn -an -scodec srt -f srt -)
    echo "round $round: veltara-track ${t}s, ffmpeg ${f}s"
    best_tool=$(lower "$best_tool" "$t")
    best_ffmpeg=$(lower "$best_ffmpeg" "$f")
done

rows=$("$tool" --reader ffmpeg --sampling all "$clip" | wc -l)
[[ $rows -eq $((cues + 1)) ]] || { echo "veltara-track wrote $((rows - 1)) records, expected $cues" >&2; exit 1; }

ratio=$(echo "$best_tool $best_ffmpeg" | awk '{ printf "%.3f", $1 / $2 }')
echo "best of three: veltara-track ${best_tool}s, ffmpeg ${best_ffmpeg}s, ratio $ratio (target <= 1.15)"
awk -v r="$ratio" 'BEGIN { exit !(r <= 1.15) }'
