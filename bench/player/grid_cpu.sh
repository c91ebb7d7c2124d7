#!/usr/bin/env bash
# A car's four and six cameras in one engine picture against the front
# camera alone, in the same run: CPU of the engine while it plays 1280x960
# 36 frames/s clips in the grid (software decoding, no output devices),
# whether playback keeps real time (the reported position against the wall
# clock), the frames the video output dropped (libmpv's frame-drop-count,
# read by mpv itself playing the engine's own filter graph, taken from the
# engine's log), and how long a paused layout change takes until the engine
# answers with the new picture's position. As a floor, FFmpeg decoding the
# four clips alone against one (CPU seconds of the whole clips), and mpv
# playing a plain composition (the four whole in a 2x2 stack, scaled down
# after) against the engine's graph. The clips have a keyframe a second.
#
# Usage: bench/player/grid_cpu.sh [engine] [runs]
#   engine  default: build/bin/MPlayer/mplayer
#   env: SIZE (1280x960), FPS (36), WINDOW seconds measured (12), SCREEN the
#        size the picture is shown at (960x720, a large player window),
#        PAUSES the seconds after the start at which the layout change is
#        paused (default 2; a change costs the decoding from the key frame
#        before the frame shown, so "2 2.25 2.5 2.75" spreads it over a second)
set -euo pipefail
cd "$(dirname "$0")/../.."

ENGINE=${1:-build/bin/MPlayer/mplayer}
RUNS=${2:-1}
SIZE=${SIZE:-1280x960}
FPS=${FPS:-36}
WINDOW=${WINDOW:-12}
SCREEN=${SCREEN:-960x720}
SETTLE=2
PAUSES=${PAUSES:-2}
HZ=$(getconf CLK_TCK)

[ -x "$ENGINE" ] || { echo "no engine at $ENGINE (build first)" >&2; exit 1; }
command -v mpv > /dev/null || { echo "mpv is needed to count dropped frames" >&2; exit 1; }
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

CLIP_SECONDS=$((SETTLE + WINDOW + 4))
STEM="$TMP/2026-12-07_10-00-00"
CAMERAS=(front back left_repeater right_repeater left_pillar right_pillar)
CHANNELS=(F R left_repeater right_repeater left_pillar right_pillar)
# One moving picture for all, each camera's hue turned, so each costs the same to decode.
for i in "${!CAMERAS[@]}"; do
  audio=(-an)
  [ "$i" = 0 ] && audio=(-f lavfi -i sine=frequency=440 -c:a aac)
  ffmpeg -hide_banner -loglevel error -y -f lavfi -i "testsrc2=size=$SIZE:rate=$FPS,hue=h=$((i * 60))" "${audio[@]}" \
    -t "$CLIP_SECONDS" -c:v libx264 -preset veryfast -g "$FPS" -pix_fmt yuv420p "$STEM-${CAMERAS[$i]}.mp4"
done

ticks() { local rest; rest=$(cut -d')' -f2- "/proc/$1/stat"); read -r -a f <<< "$rest"; echo $((f[11] + f[12])); }
now() { date +%s.%N; }
# The -camera arguments of the first n cameras.
cameraArgs() { local i; for ((i = 0; i < $1; i++)); do printf '%s\n' -camera "${CHANNELS[$i]}:$STEM-${CAMERAS[$i]}.mp4"; done; }

# Plays the front with the first n cameras (1: alone); prints "cpu% position-advance wall-seconds".
play() {
  local n=$1 args=()
  [ "$n" -gt 1 ] && mapfile -t args < <(cameraArgs "$n") && args+=(-layout grid -screen "$SCREEN")
  mkfifo "$TMP/in"
  VELTARA_ENGINE_LOG="$TMP/log$n" "$ENGINE" "$STEM-front.mp4" -vo null -ao null -slave -sid 0 "${args[@]}" \
    < "$TMP/in" > "$TMP/out" 2>/dev/null &
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

# The frames mpv's video output dropped playing a graph for n cameras over the whole clip (the
# engine's own, or the one given), and its CPU in % of one core over that time: "drops cpu%".
drops() {
  local n=$1 graph=${2:-} files=() i
  [ -n "$graph" ] || graph=$(grep -o 'lavfi-complex=".*" ->' "$TMP/log$n" | tail -1 | sed 's/^lavfi-complex="//; s/" ->$//')
  for ((i = 1; i < n; i++)); do files+=("--external-file=$STEM-${CAMERAS[$i]}.mp4"); done
  cat > "$TMP/drops.lua" <<'LUA'
local vo = -1
mp.add_periodic_timer(0.25, function() vo = mp.get_property_number("frame-drop-count", vo) end)
mp.register_event("end-file", function() io.stderr:write(string.format("DROPS %d\n", vo)) end)
LUA
  local t0 t1 cpu dropped
  t0=$(now)
  cpu=$( { /usr/bin/time -f "CPU %U %S" mpv --no-config --really-quiet --vo=null --ao=null --hwdec=no \
    --script="$TMP/drops.lua" "${files[@]}" --lavfi-complex="$graph" "$STEM-front.mp4"; } 2>&1 )
  t1=$(now)
  dropped=$(sed -n 's/^DROPS //p' <<< "$cpu" | tail -1)
  sed -n 's/^CPU //p' <<< "$cpu" | tail -1 |
    awk -v d="$dropped" -v a="$t0" -v b="$t1" '{ printf "%s %.1f", d, 100 * ($1 + $2) / (b - a) }'
}

# A plain composition: each camera whole into a 2x2 stack, then scaled to one camera's size.
NAIVE4="[vid1][vid2][vid3][vid4]xstack=inputs=4:layout=0_0|w0_0|0_h0|w0_h0:shortest=1,scale=$(tr x : <<< "$SIZE")[vo]"

# A paused layout change with four cameras, paused $1 s after the start: milliseconds from the command
# to the new picture's position answer.
layout_change() {
  local args
  mapfile -t args < <(cameraArgs 4)
  mkfifo "$TMP/in"
  "$ENGINE" "$STEM-front.mp4" -vo null -ao null -slave -sid 0 "${args[@]}" -layout grid -screen "$SCREEN" \
    < "$TMP/in" > "$TMP/out" 2>/dev/null &
  local pid=$!
  exec 7> "$TMP/in"
  sleep "$1"; echo pause >&7; sleep 0.5
  local t0 ms=none before
  before=$(grep -c '^ANS_TIME_POSITION=' "$TMP/out" || true)
  t0=$(now)
  echo "layout strip" >&7
  for _ in $(seq 1 400); do
    if [ "$(grep -c '^ANS_TIME_POSITION=' "$TMP/out" || true)" -gt "$before" ]; then
      ms=$(awk -v a="$t0" -v b="$(now)" 'BEGIN { printf "%.0f", 1000 * (b - a) }'); break
    fi
    sleep 0.005
  done
  echo quit >&7 || true
  exec 7>&-
  wait "$pid" || true
  rm -f "$TMP/in"
  echo "$ms"
}

# CPU seconds of FFmpeg decoding the first n clips whole (no output).
decode_seconds() {
  local n=$1 inputs=() maps=() i
  for ((i = 0; i < n; i++)); do inputs+=(-i "$STEM-${CAMERAS[$i]}.mp4"); maps+=(-map "$i:v" -f null -); done
  /usr/bin/time -f "%U %S" ffmpeg -hide_banner -loglevel error "${inputs[@]}" "${maps[@]}" 2>&1 | tail -1 |
    awk '{ printf "%.2f", $1 + $2 }'
}

echo "clips ${SIZE} @ ${FPS} fps, shown at ${SCREEN}, software decoding, measured ${WINDOW} s after ${SETTLE} s; CPU in % of one core; load $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-4s %8s %8s %8s %7s %7s %9s %9s %22s %10s %10s %10s\n' run one-cpu four-cpu six-cpu four-x six-x \
  four-drop six-drop played-4/6 decode4-x naive/ours layout-ms
for r in $(seq 1 "$RUNS"); do
  read -r one _ wall <<< "$(play 1)"
  read -r four fourPlayed _ <<< "$(play 4)"
  read -r six sixPlayed _ <<< "$(play 6)"
  read -r fourDrops oursCpu <<< "$(drops 4)"
  read -r sixDrops _ <<< "$(drops 6)"
  read -r _ naiveCpu <<< "$(drops 4 "$NAIVE4")"
  change=$(for at in $PAUSES; do layout_change "$at"; done | paste -sd/)
  d1=$(decode_seconds 1)
  d4=$(decode_seconds 4)
  printf '%-4s %8s %8s %8s %7s %7s %9s %9s %22s %10s %10s %10s\n' "$r" "$one" "$four" "$six" \
    "$(awk -v a="$four" -v b="$one" 'BEGIN { printf "%.2f", a / b }')" \
    "$(awk -v a="$six" -v b="$one" 'BEGIN { printf "%.2f", a / b }')" \
    "$fourDrops" "$sixDrops" "$fourPlayed/$sixPlayed (${wall}s)" \
    "$(awk -v a="$d4" -v b="$d1" 'BEGIN { printf "%.2f", a / b }')" \
    "$(awk -v a="$naiveCpu" -v b="$oursCpu" 'BEGIN { printf "%.2f", a / b }')" "$change"
done
