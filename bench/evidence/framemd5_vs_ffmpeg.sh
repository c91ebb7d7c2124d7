#!/usr/bin/env bash
# Times frames.md5 of a 30 s stretch of a one-minute 1920x1080 30 frames/s
# H.264 clip against FFmpeg's own framemd5 of the same stretch, in the same
# run, best of three each (target: at most 1.2 x FFmpeg). The two outputs
# must be the same bytes.
#
#   bench/evidence/framemd5_vs_ffmpeg.sh [BUILD_FOLDER] [CLIP]
#
# BUILD_FOLDER defaults to build; CLIP (made when missing, kept between runs)
# to one in a temporary folder. Exit status 1 when the target is missed or
# the outputs differ.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build}
run=$build/bench/FrameHashesRun
[[ -x $run ]] || { echo "no FrameHashesRun in $build (build first)" >&2; exit 2; }
command -v ffmpeg > /dev/null || { echo "no ffmpeg" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
clip=${2:-$work/clip.mp4}
if [[ ! -f $clip ]]; then
    ffmpeg -nostdin -loglevel error -f lavfi -i testsrc2=size=1920x1080:rate=30 -t 60 \
        -c:v libx264 -preset veryfast -g 30 -bf 2 -pix_fmt yuv420p "$clip"
fi

source "$here/../timing.sh"
ffmpegBest= oursBest=
for round in 1 2 3; do
    ffmpegBest=$(lower "$ffmpegBest" "$(seconds ffmpeg -nostdin -loglevel error -ss 15.000000 -i "$clip" \
        -t 30.000000 -map 0:v:0 -f framemd5 "$work/ffmpeg.md5" -y)")
    rm -rf "$work/folder" && mkdir "$work/folder"
    oursBest=$(lower "$oursBest" "$(seconds "$run" "$clip" 15 45 "$work/folder")")
done
status=0
cmp -s "$work/ffmpeg.md5" "$work/folder/frames.md5" || { echo "frames.md5 differs from ffmpeg's framemd5"; status=1; }
ratio=$(awk -v a="$oursBest" -v b="$ffmpegBest" 'BEGIN { printf "%.2f", a / b }')
verdict=ok
awk -v r="$ratio" 'BEGIN { exit !(r <= 1.2) }' || { verdict=MISSED; status=1; }
echo "frames.md5 of 30 s of 1080p30: $oursBest s; ffmpeg -f framemd5: $ffmpegBest s; ratio $ratio (target <= 1.2) $verdict"
exit $status
