#!/usr/bin/env bash
# Two cameras of one moment in one engine picture against the main clip
# alone, in the same run: CPU of the engine while it plays a 1920x1080
# 30 frames/s front clip with its rear clip inset (software decoding, no
# output devices), whether playback keeps real time (the reported position
# against the wall clock), and how long a paused layout change takes until
# the engine reports the new picture.
#
# Usage: bench/player/camera_pair_cpu.sh [engine] [runs]
#   engine  default: build/bin/MPlayer/mplayer
#   env: SIZE (1920x1080), FPS (30), WINDOW seconds measured (12)
set -euo pipefail
cd "$(dirname "$0")/../.."

ENGINE=${1:-build/bin/MPlayer/mplayer}
RUNS=${2:-1}
SIZE=${SIZE:-1920x1080}
FPS=${FPS:-30}
WINDOW=${WINDOW:-12}
SETTLE=2
HZ=$(getconf CLK_TCK)

[ -x "$ENGINE" ] || { echo "no engine at $ENGINE (build first)" >&2; exit 1; }
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

CLIP_SECONDS=$((SETTLE + WINDOW + 4))
for side in F:testsrc R:testsrc2; do
  ffmpeg -hide_banner -loglevel error -y -f lavfi -i "${side#*:}=size=$SIZE:rate=$FPS" -f lavfi -i sine=frequency=440 \
    -t "$CLIP_SECONDS" -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac "$TMP/2026_1207_101500_${side%%:*}.MP4"
done

ticks() { local rest; rest=$(cut -d')' -f2- "/proc/$1/stat"); read -r -a f <<< "$rest"; echo $((f[11] + f[12])); }
now() { date +%s.%N; }

# Plays the front (with the extra arguments); prints "cpu% position-advance wall-seconds".
play() {
  mkfifo "$TMP/in"
  "$ENGINE" "$TMP/2026_1207_101500_F.MP4" -vo null -ao null -slave -sid 0 "$@" < "$TMP/in" > "$TMP/out" 2>/dev/null &
  local pid=$!
  exec 7> "$TMP/in"
  sleep "$SETTLE"
  echo get_time_pos >&7; sleep 0.2
  local p0 t0 w0 p1 t1 w1
  p0=$(grep '^ANS_TIME_POSITION=' "$TMP/out" | tail -1 | cut -d= -f2); t0=$(now); w0=$(ticks "$pid")
  sleep "$WINDOW"
  echo get_time_pos >&7; sleep 0.2
  p1=$(grep '^ANS_TIME_POSITION=' "$TMP/out" | tail -1 | cut -d= -f2); t1=$(now); w1=$(ticks "$pid")
  echo quit >&7 || true
  exec 7>&-
  wait "$pid" || true
  rm -f "$TMP/in"
  awk -v w=$((w1 - w0)) -v hz="$HZ" -v a="$t0" -v b="$t1" -v p="$p0" -v q="$p1" \
    'BEGIN { printf "%.1f %.2f %.2f", 100 * w / hz / (b - a), q - p, b - a }'
}

# A paused layout change: milliseconds from the command to the new picture's aspect line.
layout_change() {
  mkfifo "$TMP/in"
  "$ENGINE" "$TMP/2026_1207_101500_F.MP4" -vo null -ao null -slave -sid 0 -partner "$TMP/2026_1207_101500_R.MP4" \
    < "$TMP/in" > "$TMP/out" 2>/dev/null &
  local pid=$!
  exec 7> "$TMP/in"
  sleep "$SETTLE"; echo pause >&7; sleep 0.5
  local t0 ms=none
  t0=$(now)
  echo "layout side" >&7
  for _ in $(seq 1 200); do
    if grep -q '^ID_VIDEO_ASPECT=3.5556' "$TMP/out"; then ms=$(awk -v a="$t0" -v b="$(now)" 'BEGIN { printf "%.0f", 1000 * (b - a) }'); break; fi
    sleep 0.005
  done
  echo quit >&7 || true
  exec 7>&-
  wait "$pid" || true
  rm -f "$TMP/in"
  echo "$ms"
}

echo "clips ${SIZE} @ ${FPS} fps, software decoding, measured ${WINDOW} s after ${SETTLE} s; CPU in % of one core"
printf '%-4s %10s %12s %8s %10s %12s %8s %12s\n' run main-cpu main-played pair-cpu pair-played wall-seconds ratio layout-ms
for r in $(seq 1 "$RUNS"); do
  read -r main mainPlayed wall <<< "$(play)"
  read -r pair pairPlayed _ <<< "$(play -partner "$TMP/2026_1207_101500_R.MP4" -layout inset)"
  change=$(layout_change)
  printf '%-4s %10s %12s %8s %10s %12s %8s %12s\n' "$r" "$main" "$mainPlayed" "$pair" "$pairPlayed" "$wall" \
    "$(awk -v a="$pair" -v b="$main" 'BEGIN { printf "%.2f", a / b }')" "$change"
done
