#!/usr/bin/env bash
# Times the evidence folder's originals and its verification against the
# plain tools doing the same work in the same run, on a 10-minute journey of
# front and rear clips (ten 60-second clips per camera, about 19 MB each):
#   1. veltara-track --verify of the folder with its originals, against
#      sha256sum over the same files (the folder's files, originals/ and the
#      source clip) (target: at most 1.3 x);
#   2. the export with --originals, against the plain export plus cp -p of
#      the same originals (target: at most plain + 1.2 x cp).
# Both exports keep the original frames (--no-overlay): the copy's cost is
# then not hidden behind an encode. Every run reads warm files.
#
#   bench/evidence/verify_vs_sha256sum.sh [PROGRAM_FOLDER] [CLIP_FOLDER]
#
# PROGRAM_FOLDER defaults to build/bin; CLIP_FOLDER (kept between runs) to
# a temporary folder. Exit status 1 when a target is missed.
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

# One clip made, the journey's others copies of it under the names of the
# following minutes: names set the journey's times.
seed=$clips/seed.mp4
if [[ ! -f $seed ]]; then
    for i in $(seq 0 59); do
        printf '%d\n00:%02d:%02d,000 --> 00:%02d:%02d,000\n2026-12-07 10:00:%02d/E113 56 %05.2f/N22 33 %05.2f/50.0/X:2000/Y:2000/Z:2333\n\n' \
            $((i + 1)) $((i / 60)) $((i % 60)) $(((i + 1) / 60)) $(((i + 1) % 60)) $i $((10 + i % 40)) $((40 + i % 13))
    done > "$work/seed.srt"
    ffmpeg -v error -y -f lavfi -i "testsrc2=s=640x360:r=30:d=60" -i "$work/seed.srt" -map 0 -map 1 \
        -c:v libx264 -preset ultrafast -b:v 2500k -g 30 -c:s mov_text -metadata:s:s:0 handler_name="Ambarella EXT" "$seed"
fi
for m in $(seq 0 9); do
    for c in F R; do
        name=$clips/2026_1207_10$(printf '%02d' "$m")00_$(printf '%04d' $((m + 1)))$c.MP4
        [[ -f $name ]] || cp "$seed" "$name"
    done
done
from=$(basename "$clips"/2026_1207_100400_0005F.MP4)

out=$work/exports
mkdir -p "$out"
plain= with= copy= verify= sums=
for _ in 1 2 3; do
    plain=$(lower "$plain" "$(seconds "$tool" --export --from "$from@10" --duration 30 --no-overlay --out "$out" "$clips"/*.MP4)")
    with=$(lower "$with" "$(seconds "$tool" --export --from "$from@10" --duration 30 --no-overlay --originals --out "$out" "$clips"/*.MP4)")
    rm -rf "$work/cp"; mkdir -p "$work/cp"
    copy=$(lower "$copy" "$(seconds cp -p "$clips"/*.MP4 "$work/cp/")")
done
folder=$("$tool" --export --from "$from@10" --duration 30 --no-overlay --originals --out "$work/one" "$clips"/*.MP4)
# sha256sum reads what SHA256SUMS lists, as verify does.
mapfile -t listed < <(cut -c67- "$folder/SHA256SUMS")
for _ in 1 2 3; do
    verify=$(lower "$verify" "$(seconds "$tool" --verify "$folder")")
    sums=$(lower "$sums" "$(cd "$folder" && seconds sha256sum "${listed[@]}")")
done
"$tool" --verify "$folder" > /dev/null || { echo "the folder does not verify" >&2; exit 1; }

bytes=$(du -sb "$folder/originals" | cut -f1)
verify_ratio=$(awk -v a="$verify" -v b="$sums" 'BEGIN { printf "%.2f", a / b }')
budget=$(awk -v p="$plain" -v c="$copy" 'BEGIN { printf "%.2f", p + 1.2 * c }')
printf 'journey: %d files, %.0f MB of originals\n' "$(ls "$folder/originals" | wc -l)" "$(awk -v b="$bytes" 'BEGIN { print b / 1e6 }')"
printf 'verify: %.2f s; sha256sum over the same files: %.2f s; ratio %s (target 1.3)\n' "$verify" "$sums" "$verify_ratio"
printf 'export with originals: %.2f s; plain export: %.2f s; cp -p of the originals: %.2f s; budget plain + 1.2 x cp = %s s\n' \
    "$with" "$plain" "$copy" "$budget"
status=0
awk -v r="$verify_ratio" 'BEGIN { exit !(r <= 1.3) }' || status=1
awk -v w="$with" -v b="$budget" 'BEGIN { exit !(w <= b) }' || status=1
exit $status
