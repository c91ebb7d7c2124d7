#!/usr/bin/env bash
# Makes the clips of the track-index benchmarks in FOLDER:
#   hour.mp4       one hour of track (36,000 cues, 10 a second) on a tiny
#                  64x36 picture at 1 frame/s, so it is made quickly;
#   drive/*_F.MP4  60 one-minute clips of one drive: 320x180 at 30 frames/s,
#                  10 track texts a second (one clip made, the others copies
#                  under the camera's names).
#
#   bench/trackindex/make_clips.sh FOLDER [FFMPEG] [hour]
#
# With "hour" only the hour clip is made.
set -euo pipefail

folder=${1:?usage: make_clips.sh FOLDER [FFMPEG] [hour]}
ffmpeg=${2:-$(command -v ffmpeg)}
only=${3:-}
mkdir -p "$folder/drive"

# SRT of n camera texts, one per 100 ms; the time of day counts the seconds.
track_srt() {
    awk -v n="$1" 'BEGIN {
        for (i = 0; i < n; i++) {
            s = int(i / 10); ms = i * 100; e = ms + 100
            printf "%d\n%02d:%02d:%02d,%03d --> %02d:%02d:%02d,%03d\n", i + 1,
                ms / 3600000, (ms / 60000) % 60, (ms / 1000) % 60, ms % 1000,
                e / 3600000, (e / 60000) % 60, (e / 1000) % 60, e % 1000
            printf "2026-12-07 %02d:%02d:%02d/E113 56 %05.2f/N22 33 %05.2f/%.1f/X:%d/Y:%d/Z:%d\n\n",
                (10 + int(s / 3600)) % 24, int(s / 60) % 60, s % 60, 12.34 + (i % 400) * 0.1, 14.50 + (i % 130) * 0.1,
                20 + (i % 50) * 0.5, 10 + i % 7, -3 - i % 5, 98 - i % 11
        }
    }'
}

if [[ ! -s $folder/hour.mp4 ]]; then
    track_srt 36000 > "$folder/hour.srt"
    "$ffmpeg" -hide_banner -loglevel error -y -f lavfi -i "testsrc=size=64x36:rate=1" -i "$folder/hour.srt" \
        -t 3600 -map 0:v -map 1:s -c:v libx264 -preset ultrafast -c:s mov_text \
        -metadata:s:s:0 handler_name="Ambarella EXT" "$folder/hour.mp4"
    rm -f "$folder/hour.srt"
fi

if [[ $only != hour && ! -s $folder/drive/2026_1207_100000_F.MP4 ]]; then
    track_srt 600 > "$folder/minute.srt"
    "$ffmpeg" -hide_banner -loglevel error -y -f lavfi -i "testsrc=size=320x180:rate=30" \
        -f lavfi -i "sine=frequency=440:sample_rate=22050" -i "$folder/minute.srt" -t 60 \
        -map 0:v -map 1:a -map 2:s -c:v libx264 -preset ultrafast -c:a aac -b:a 32k -c:s mov_text \
        -metadata:s:s:0 handler_name="Ambarella EXT" "$folder/drive/2026_1207_100000_F.MP4"
    rm -f "$folder/minute.srt"
    for i in $(seq 1 59); do
        cp "$folder/drive/2026_1207_100000_F.MP4" "$(printf '%s/drive/2026_1207_10%02d00_F.MP4' "$folder" "$i")"
    done
fi
