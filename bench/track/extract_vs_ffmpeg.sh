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
clip=$work/clip60min.mp4
minutes=60
cues=$((minutes * 60 * 10))

# One camera text per 100 ms; the time of day counts the seconds.
awk -v n="$cues" 'BEGIN {
    for (i = 0; i < n; i++) {
        s = int(i / 10); ms = i * 100; e = ms + 100
        printf "%d\n%02d:%02d:%02d,%03d --> %02d:%02d:%02d,%03d\n", i + 1,
            ms / 3600000, (ms / 60000) % 60, (ms / 1000) % 60, ms % 1000,
            e / 3600000, (e / 60000) % 60, (e / 1000) % 60, e % 1000
        printf "2016-05-20 %02d:%02d:%02d/E113 56 %05.2f/N22 33 %05.2f/%.1f/X:%d/Y:%d/Z:%d\n\n",
            (10 + int(s / 3600)) % 24, int(s / 60) % 60, s % 60, 12.34 + i % 40, 14.50 + i % 13,
            20 + (i % 50) * 0.5, 10 + i % 7, -3 - i % 5, 98 - i % 11
    }
}' > "$work/track.srt"

echo "making a ${minutes}-minute clip with $cues cues ..."
"$ffmpeg" -hide_banner -loglevel error -y -f lavfi -i "testsrc=size=64x36:rate=1" -i "$work/track.srt" \
    -t $((minutes * 60)) -map 0:v -map 1:s -c:v libx264 -preset ultrafast -c:s mov_text \
    -metadata:s:s:0 handler_name="Ambarella EXT" "$clip"

seconds() {
    local start=$EPOCHREALTIME
    "$@" > /dev/null 2>&1
    local end=$EPOCHREALTIME
    echo "$start $end" | awk '{ printf "%.3f", $2 - $1 }'
}

lower() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b + 0 < a + 0) ? b : a }'; }

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
