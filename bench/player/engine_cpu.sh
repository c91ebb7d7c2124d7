#!/usr/bin/env bash
# CPU of the player engine (MPlayer/mplayer) while it plays a camera-like clip
# at normal speed, against bare mpv playing the same clip, both without output
# devices. The engine is driven as the program drives it: "sub_log_static"
# twice a second, its output read line by line.
#
# Reports, per run, the CPU share of one core over a steady window after the
# start: the engine as a whole, its own threads (the protocol loop "mplayer"
# and the output writer "engine-output"; everything else is libmpv), and mpv.
# The engine's cost beyond decoding is whole engine minus mpv.
#
# Usage: bench/player/engine_cpu.sh [engine] [runs]
#   engine  default: build/bin/MPlayer/mplayer
#   env: SIZE (1280x720), FPS (25), WINDOW seconds measured (15)
set -euo pipefail
cd "$(dirname "$0")/../.."

ENGINE=${1:-build/bin/MPlayer/mplayer}
RUNS=${2:-3}
SIZE=${SIZE:-1280x720}
FPS=${FPS:-25}
WINDOW=${WINDOW:-15}
SETTLE=2
HZ=$(getconf CLK_TCK)

command -v mpv >/dev/null || { echo "mpv is not installed (scripts/setup.sh installs it)" >&2; exit 1; }
[ -x "$ENGINE" ] || { echo "no engine at $ENGINE (build first)" >&2; exit 1; }

TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

# The clip: test pattern, tone and one track text a second, like a camera's.
CLIP_SECONDS=$((SETTLE + WINDOW + 3))
for i in $(seq 0 $((CLIP_SECONDS - 1))); do
  printf '%d\n00:00:%02d,000 --> 00:00:%02d,999\n2016-05-20 10:30:%02d/E113 56 12.34/N22 33 44.50/%d.0/X:10/Y:-3/Z:98\n\n' \
    $((i + 1)) "$i" "$i" "$i" $((20 + i))
done > "$TMP/track.srt"
ffmpeg -hide_banner -loglevel error -y -f lavfi -i "testsrc=size=$SIZE:rate=$FPS" -f lavfi -i sine=frequency=440 \
  -i "$TMP/track.srt" -t "$CLIP_SECONDS" -map 0:v -map 1:a -map 2:s -c:v libx264 -preset ultrafast -c:a aac \
  -c:s mov_text -metadata:s:s:0 handler_name="Ambarella EXT" "$TMP/clip.mp4"

# utime + stime of a process, or of its threads whose name is in $2 (regex).
ticks() {
  local pid=$1 names=${2:-} total=0 stat comm rest
  local files=("/proc/$pid/stat")
  [ -n "$names" ] && files=(/proc/"$pid"/task/*/stat)
  for f in "${files[@]}"; do
    stat=$(cat "$f" 2>/dev/null) || continue
    comm=${stat#*(}; comm=${comm%)*}
    rest=${stat##*) }
    if [ -n "$names" ] && ! [[ $comm =~ ^($names)$ ]]; then continue; fi
    read -r -a fields <<< "$rest"
    total=$((total + fields[11] + fields[12]))   # utime, stime (fields 14, 15 of stat)
  done
  echo "$total"
}

percent() { awk -v t="$1" -v hz="$HZ" -v s="$2" 'BEGIN { printf "%.2f", 100 * t / hz / s }'; }

now() { date +%s.%N; }

# Measures the process $1 over the window; prints "whole own".
measure() {
  local pid=$1 own=${2:-} t0 t1 w0 w1 o0=0 o1=0 seconds
  sleep "$SETTLE"
  t0=$(now); w0=$(ticks "$pid"); [ -n "$own" ] && o0=$(ticks "$pid" "$own")
  sleep "$WINDOW"
  t1=$(now); w1=$(ticks "$pid"); [ -n "$own" ] && o1=$(ticks "$pid" "$own")
  seconds=$(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }')
  echo "$(percent $((w1 - w0)) "$seconds") $(percent $((o1 - o0)) "$seconds")"
}

run_engine() {
  mkfifo "$TMP/in"
  "$ENGINE" "$TMP/clip.mp4" -vo null -slave -quiet -identify -ao null -volume 50 -muteset 0 -sid 0 -idx \
    -nokeepaspect < "$TMP/in" > "$TMP/out" 2>&1 &
  local pid=$!
  exec 7> "$TMP/in"
  # The program's reader asks for the track text twice a second.
  ( while sleep 0.5; do echo sub_log_static || break; done ) >&7 2>/dev/null &
  local asker=$!
  measure "$pid" "mplayer|engine-output"
  kill "$asker" 2>/dev/null || true
  wait "$asker" 2>/dev/null || true
  echo quit >&7 || true
  exec 7>&-
  wait "$pid" || true
  rm -f "$TMP/in"
  grep -q '^ID_SUBTITLE_LOG=2016' "$TMP/out" || echo "warning: the engine answered no track text" >&2
}

run_mpv() {
  mpv --no-config --no-terminal --vo=null --ao=null "$TMP/clip.mp4" < /dev/null > /dev/null 2>&1 &
  local pid=$!
  measure "$pid"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

echo "clip ${SIZE} @ ${FPS} fps, measured ${WINDOW} s after ${SETTLE} s, CPU in % of one core"
printf '%-5s %12s %14s %10s %12s\n' run engine engine-own mpv engine-mpv
for r in $(seq 1 "$RUNS"); do
  read -r engine own <<< "$(run_engine)"
  read -r bare _ <<< "$(run_mpv)"
  printf '%-5s %12s %14s %10s %12s\n' "$r" "$engine" "$own" "$bare" "$(awk -v a="$engine" -v b="$bare" 'BEGIN { printf "%.2f", a - b }')"
done
