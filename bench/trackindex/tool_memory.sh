#!/usr/bin/env bash
# The tool's peak memory (VmHWM, from /usr/bin/time -v) and time on clips of
# two million Garmin fixes each (MakeDenseGarminClips: 200 s of clip, fixes
# at 10 kHz, a small video underneath), for this build and, when given, a
# baseline program folder in the same run:
#   1. --trips over one clip, and over eight (grows per clip when the tool
#      keeps every clip's records; held to one clip's and the 5 M budget when not)
#   2. --export of 5 s of one clip: memory and the bytes of track written
#   3. --export of 210 s across three clips (the report's input within its limit)
#
#   bench/trackindex/tool_memory.sh [PROGRAM_FOLDER [BASELINE_FOLDER [CLIP_FOLDER]]]
#
# PROGRAM_FOLDER defaults to build/bin; CLIP_FOLDER (kept between runs)
# defaults to a temporary folder. No index is used.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
program=${1:-$here/../../build/bin}
baseline=${2:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
clips=${3:-$work/clips}
maker=$program/../bench/MakeDenseGarminClips
[[ -x $maker ]] || maker=$here/../../build/bench/MakeDenseGarminClips
[[ -x $program/veltara-track ]] || { echo "no veltara-track in $program (build first)" >&2; exit 2; }
nice "$maker" "$clips" 8 || exit 2
export XDG_CACHE_HOME=$work/cache HOME=$work/home
mkdir -p "$HOME"

# name, program folder, arguments...: one line of figures.
run() {
    local name=$1 folder=$2
    shift 2
    local out=$work/out.$name
    rm -rf "$out" && mkdir -p "$out"
    local args=("$@")
    args=("${args[@]//@OUT@/$out}")
    /usr/bin/time -v -o "$work/time" "$folder/veltara-track" "${args[@]}" > "$work/stdout" 2> "$work/stderr"
    local status=$?
    local kb seconds track
    kb=$(awk -F': ' '/Maximum resident/ {print $2}' "$work/time")
    seconds=$(awk -F': ' '/Elapsed/ {print $2}' "$work/time")
    track=$(find "$out" -name 'track.*' -printf '%s\n' 2>/dev/null | awk '{s += $1} END {print s + 0}')
    printf '%-28s %8d MB %10s s  exit %d  track %d MB  %s\n' "$name" $((kb / 1024)) "$seconds" "$status" \
        $((track / 1048576)) "$(tail -c 160 "$work/stderr" | tr '\n' ' ')"
}

all=()
for i in 1 2 3 4 5 6 7 8; do all+=("$clips/clip$i.mp4"); done
for side in program baseline; do
    folder=$program
    [[ $side == baseline ]] && folder=$baseline
    [[ -n $folder ]] || continue
    echo "== $side: $folder"
    run trips-1-clip "$folder" --trips "$clips/clip1.mp4"
    run trips-8-clips "$folder" --trips "${all[@]}"
    run export-5s-1-clip "$folder" --export --from "$clips/clip1.mp4@10" --duration 5 --out @OUT@ "$clips/clip1.mp4"
    run export-210s-3-clips "$folder" --export --from "$clips/clip1.mp4@195" --duration 210 --out @OUT@ \
        "$clips/clip1.mp4" "$clips/clip2.mp4" "$clips/clip3.mp4"
done
