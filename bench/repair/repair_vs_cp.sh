#!/usr/bin/env bash
# Times veltara-track --repair of a one-minute 1920x1080 30 frames/s clip
# (H.264 without B-frames, as cameras write it, and AAC; cut at 90 % with its
# index gone) against cp of the same cut
# file, in the same run (target: at most 2 x). The best of five runs each;
# the page cache is warm for both.
#
#   bench/repair/repair_vs_cp.sh [PROGRAM_FOLDER] [CLIP_FOLDER]
#
# PROGRAM_FOLDER defaults to build/bin; CLIP_FOLDER (kept between runs) to a
# temporary folder. Exit status 1 when the target is missed.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/../timing.sh"
bin=${1:-$here/../../build/bin}
tool=$bin/veltara-track
[[ -x $tool ]] || { echo "no veltara-track in $bin (build first)" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
clips=${2:-$work/clips}
mkdir -p "$clips"

make_clip() {  # name pattern (the same settings for both, as one camera)
    [[ -f $clips/$1 ]] && return
    ffmpeg -v error -y -f lavfi -i "$2=s=1920x1080:r=30:d=60" -f lavfi -i "sine=f=440:d=60" \
        -c:v libx264 -preset veryfast -bf 0 -g 30 -b:v 8M -pix_fmt yuv420p -c:a aac "$clips/$1"
}
make_clip 2026_1207_100000_F.MP4 testsrc2
make_clip 2026_1207_100100_F.MP4 testsrc2
size=$(stat -c %s "$clips/2026_1207_100100_F.MP4")
head -c $(( size * 9 / 10 )) "$clips/2026_1207_100100_F.MP4" > "$work/2026_1207_100100_F.MP4"
cp "$clips/2026_1207_100000_F.MP4" "$work/"
cat "$work"/*.MP4 > /dev/null  # into the page cache

copy= repair=
for _ in 1 2 3 4 5; do
    rm -f "$work/copy.MP4" "$work/2026_1207_100100_F.repaired.MP4"
    copy=$(lower "$copy" "$(seconds cp "$work/2026_1207_100100_F.MP4" "$work/copy.MP4")")
    repair=$(lower "$repair" "$(seconds "$tool" --repair "$work/2026_1207_100100_F.MP4")")
done
[[ -f $work/2026_1207_100100_F.repaired.MP4 ]] || { echo "the repair failed" >&2; exit 1; }
ratio=$(awk -v a="$repair" -v b="$copy" 'BEGIN { printf "%.2f", a / b }')
echo "cut clip $(( size * 9 / 10 / 1048576 )) MiB: cp ${copy} s, repair ${repair} s, ratio ${ratio} (target <= 2)"
awk -v r="$ratio" 'BEGIN { exit (r <= 2.0) ? 0 : 1 }'
