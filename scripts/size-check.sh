#!/usr/bin/env bash
# Checks that the show draws the same picture at every window size: captures
# the same times at 800x600, 1600x1200 and 1920x1080, scales the 1600x1200
# frame down 2x and the central 1440x1080 of the 1920x1080 frame to 800x600,
# and compares each with the 800x600 frame (mean absolute difference, limit
# 2 % of full scale); the bars of the wide frame must be black. Writes a
# side-by-side picture (800x600 | 1920x1080) per time into OUT.
# Usage: scripts/size-check.sh [OUT] [MS,MS,...]   (default: two or more per scene)
# FPS (default 5) sets the capture's frame grid.
set -euo pipefail
out="$(mkdir -p "${1:-size-check}" && cd "${1:-size-check}" && pwd)"
times="${2:-5000,12500,30000,57000,64000,74600,89600,109200,115600,135800,147000,166400,176000,188400,203000,219200,230000}"
# shellcheck source=scripts/capture-env.sh
source "$(dirname "$0")/capture-env.sh"
sizes=(800x600 1600x1200 1920x1080)
for size in "${sizes[@]}"; do
  echo "size-check: capturing at $size" >&2
  run_capture --size "$size" --fps "${FPS:-5}" --at "$times" --out "$out/$size" >/dev/null 2>&1
done
limit=5.1 # 2 % of 255
failed=0
printf '%-9s %-14s %-14s %s\n' "ms" "1600x1200" "1920x1080" "bars (largest value)"
for ms in ${times//,/ }; do
  name="$(printf 'frame-%07d.png' "$ms")"
  base="$out/800x600/$name"
  convert "$out/1600x1200/$name" -filter box -resize 800x600 "$out/half-$name"
  convert "$out/1920x1080/$name" -crop 1440x1080+240+0 +repage -resize 800x600\! "$out/crop-$name"
  bars="$(convert "$out/1920x1080/$name" \( +clone -crop 240x1080+0+0 \) \( -clone 0 -crop 240x1080+1680+0 \) \
    -delete 0 +append -format '%[fx:int(255*maxima)]' info:)"
  mean() { "$build/demo-imgdiff" --max-mean 255 --max-share 100 "$base" "$1" | sed -n 's/.*difference \([0-9.]*\).*/\1/p'; }
  a="$(mean "$out/half-$name")"
  b="$(mean "$out/crop-$name")"
  printf '%-9s %-14s %-14s %s\n' "$ms" "$a" "$b" "$bars"
  if awk -v a="$a" -v b="$b" -v l="$limit" 'BEGIN { exit !(a > l || b > l || a == "" || b == "") }' || [ "$bars" != 0 ]; then
    failed=1
  fi
  convert "$base" -resize x540 "$out/1920x1080/$name" -resize x540 +append "$out/side-$name"
done
[ "$failed" -eq 0 ] && echo "size-check: every frame within 2 %, bars black" >&2
exit "$failed"
