#!/usr/bin/env bash
# Times veltara-track --export against bare FFmpeg doing the same work in
# the same run, on two 40-second 1920x1080 30 frames/s clips of one drive
# (a camera text track of one text a second):
#   1. 30 s across the two clips with the data burned in, against one
#      ffmpeg encode of 30 s of one clip with the same preset and the same
#      subtitles filter (target: at most 1.3 x);
#   2. the same without the overlay, the original frames copied (target: at
#      most 1 s).
# The report and checksums are part of the export's time.
#
#   bench/export/export_vs_ffmpeg.sh [PROGRAM_FOLDER] [CLIP_FOLDER]
#
# PROGRAM_FOLDER defaults to build/bin; CLIP_FOLDER (kept between runs) to
# a temporary folder. Exit status 1 when a target is missed.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
bin=${1:-$here/../../build/bin}
tool=$bin/veltara-track
[[ -x $tool ]] || { echo "no veltara-track in $bin (build first)" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
clips=${2:-$work/clips}
mkdir -p "$clips"

make_clip() {  # name first-second
    local out=$clips/$1 srt=$work/$1.srt
    [[ -f $out ]] && return
    for i in $(seq 0 39); do
        local s=$(( $2 + i ))
        printf '%d\n00:00:%02d,000 --> 00:00:%02d,000\n2026-12-07 10:%02d:%02d/E113 56 %05.2f/N22 33 %05.2f/%d.0/X:%d/Y:2000/Z:2333\n\n' \
            $((i + 1)) $i $((i + 1)) $(( s / 60 )) $(( s % 60 )) $(( 10 + s % 40 )) $(( 40 + s % 13 )) $(( 40 + s % 30 )) $(( 1900 + s % 200 ))
    done > "$srt"
    ffmpeg -v error -y -f lavfi -i "testsrc2=s=1920x1080:r=30:d=40" -f lavfi -i "sine=f=440:d=40" -i "$srt" \
        -map 0 -map 1 -map 2 -c:v libx264 -preset veryfast -g 30 -c:a aac -c:s mov_text \
        -metadata:s:s:0 handler_name="Ambarella EXT" "$out"
}
make_clip 2026_1207_100000_F.MP4 0
make_clip 2026_1207_100040_F.MP4 40

# The baseline's overlay: a line a second, as the export's.
{
    printf '[Script Info]\nScriptType: v4.00+\nPlayResX: 1280\nPlayResY: 720\n\n[V4+ Styles]\n'
    printf 'Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, Encoding\n'
    printf 'Style: Band,DejaVu Sans,30,&H00FFFFFF,&H00FFFFFF,&H80000000,&H80000000,0,0,0,0,100,100,0,0,3,8,0,2,0,0,6,1\n\n[Events]\n'
    printf 'Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n'
    for i in $(seq 0 29); do
        printf 'Dialogue: 0,0:00:%02d.00,0:00:%02d.00,Band,,0,0,0,,2026-12-07 10:00:%02d   55 km/h   N22.56236 E113.93676   0.31 G\n' $i $((i + 1)) $((30 + i))
    done
} > "$work/overlay.ass"

best() {  # command...: the best wall time of three runs, in seconds
    local best=
    for _ in 1 2 3; do
        local start end
        start=$(date +%s.%N)
        "$@" > /dev/null
        end=$(date +%s.%N)
        local t
        t=$(echo "$end - $start" | bc -l)
        if [[ -z $best ]] || (( $(echo "$t < $best" | bc -l) )); then best=$t; fi
    done
    echo "$best"
}

out=$work/exports
mkdir -p "$out"
a=$clips/2026_1207_100000_F.MP4
b=$clips/2026_1207_100040_F.MP4
burned=$(best "$tool" --export --from "$a@30" --duration 30 --out "$out" "$a" "$b")
# 30 s of the one 40 s input, as many frames as the export encodes.
bare=$(cd "$work" && best ffmpeg -v error -y -ss 5 -i "$a" -t 30 -map 0:v:0 -map 0:a:0 \
    -vf "subtitles=filename=overlay.ass" -c:v libx264 -preset ultrafast -crf 20 -pix_fmt yuv420p \
    -c:a aac -b:a 128k "$work/bare.mp4")
copied=$(best "$tool" --export --from "$a@30" --duration 30 --out "$out" --no-overlay "$a" "$b")
ratio=$(echo "$burned / $bare" | bc -l)
printf 'export, data burned in: %.2f s; bare ffmpeg, one input: %.2f s; ratio %.2f (target 1.3); share of the stretch %.2f (target 0.5)\n' \
    "$burned" "$bare" "$ratio" "$(echo "$burned / 30" | bc -l)"
printf 'export, original frames: %.2f s (target 1)\n' "$copied"
missed=0
(( $(echo "$ratio > 1.3" | bc -l) )) && missed=1
(( $(echo "$burned > 15" | bc -l) )) && missed=1
(( $(echo "$copied > 1" | bc -l) )) && missed=1
exit $missed
