#!/usr/bin/env bash
# Times the search for Novatek blocks in a clip without its block index
# against reading the file once, warm cache, best of ten each, in the same
# run:
#   NovatekScanRun CLIP  against  cat CLIP > /dev/null      (target <= 1.5)
# CLIP is 120 MB: a block after each second (1 MiB) of made-up video in one
# mdat, and a moov without the index. The in-process figures (the file read
# once through a 128 KiB buffer, against IsoFile + NovatekReader) follow.
#
#   bench/telemetry/novatek_scan.sh [BUILD_FOLDER] [CLIP_FOLDER]
#
# BUILD_FOLDER defaults to build; CLIP_FOLDER (kept between runs) to a
# temporary folder. Exit status 1 when the target is missed.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build}
run=$build/bench/NovatekScanRun
[[ -x $run ]] || { echo "no NovatekScanRun in $build/bench (build first)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
clips=${2:-$work}
mkdir -p "$clips"
clip=$clips/novatek-unindexed-120mb.mp4
[[ -f $clip ]] || "$run" --make "$clip" 120
"$run" "$clip"
cat "$clip" > /dev/null  # warm

source "$here/../timing.sh"
best_cat= best_scan=
for round in 1 2 3 4 5 6 7 8 9 10; do
    best_cat=$(lower "$best_cat" "$(seconds cat "$clip")")
    best_scan=$(lower "$best_scan" "$(seconds "$run" "$clip")")
done
ratio=$(awk -v a="$best_scan" -v b="$best_cat" 'BEGIN { printf "%.3f", a / b }')
echo "best of ten (seconds), $(du -m "$clip" | cut -f1) MB: NovatekScanRun $best_scan, cat $best_cat"
"$run" --time "$clip" 10
verdict=ok
awk -v r="$ratio" 'BEGIN { exit !(r <= 1.5) }' || verdict=MISSED
echo "search without index vs cat: ratio $ratio (target <= 1.5) $verdict"
[[ $verdict == ok ]]
