#!/usr/bin/env bash
# Times veltara-track --repair of a one-minute 1920x1080 30 frames/s clip
# (H.264 without B-frames, as cameras write it, and AAC; cut at 90 % with its
# index gone) against cp of the same cut
# file, in the same run (target: at most 2 x). The best of five runs each;
# the page cache is warm for both. The processor time (user + system, all
# threads) of the best runs is shown too: on a machine shared with other
# work it tells more than the wall time.
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

# Wall and processor seconds of one run, "WALL CPU".
timed() {
    local start=$EPOCHREALTIME
    /usr/bin/time -o "$work/time" -f "%U %S" "$@" > /dev/null 2>&1
    local end=$EPOCHREALTIME
    echo "$start $end $(tail -n 1 "$work/time")" | awk '{ printf "%.4f %.2f", $2 - $1, $3 + $4 }'
}
[[ -x /usr/bin/time ]] || timed() { echo "$(seconds "$@") 0"; }
best() { awk -v a="$1" -v b="$2" 'BEGIN { split(b, n, " "); split(a, o, " "); print (a == "" || n[1] + 0 < o[1] + 0) ? b : a }'; }

copied= repaired=
for _ in 1 2 3 4 5; do
    rm -f "$work/copy.MP4" "$work/2026_1207_100100_F.repaired.MP4"
    copied=$(best "$copied" "$(timed cp "$work/2026_1207_100100_F.MP4" "$work/copy.MP4")")
    repaired=$(best "$repaired" "$(timed "$tool" --repair "$work/2026_1207_100100_F.MP4")")
done
copy=${copied%% *} repair=${repaired%% *}
[[ -f $work/2026_1207_100100_F.repaired.MP4 ]] || { echo "the repair failed" >&2; exit 1; }
ratio=$(awk -v a="$repair" -v b="$copy" 'BEGIN { printf "%.2f", a / b }')
echo "cut clip $(( size * 9 / 10 / 1048576 )) MiB: cp ${copy} s, repair ${repair} s, ratio ${ratio} (target <= 2);" \
    "processor time cp ${copied#* } s, repair ${repaired#* } s"
awk -v r="$ratio" 'BEGIN { exit (r <= 2.0) ? 0 : 1 }'
