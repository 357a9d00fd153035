#!/usr/bin/env bash
# Renders the whole show as a video to share: 1920 x 1080 H.264 MP4 with the
# music, 30 frames per second (--fps 60 for sixty), frame-exact through
# demo-capture's own clock, with a progress bar. Installs and builds what is
# missing first. Usage: scripts/video.sh [FILE.mp4] [--fps N] [--size WxH]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="slate-1080p.mp4"
args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --fps | --size) args+=("$1" "${2:?$1 needs a value}"); shift 2 ;;
    --fps=* | --size=*) args+=("$1"); shift ;;
    -h | --help) sed -n '2,5p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "video.sh: unknown option $1" >&2; exit 2 ;;
    *) out="$1"; shift ;;
  esac
done
out="$(cd "$(dirname "$out")" && pwd)/$(basename "$out")"
"$root/scripts/setup.sh"
# shellcheck source=scripts/capture-env.sh
source "$root/scripts/capture-env.sh"
start=$(date +%s)
run_capture --video "$out" --size 1920x1080 --fps 30 "${args[@]}"
echo "video.sh: $out, $(du -h "$out" | cut -f1), rendered in $(( $(date +%s) - start )) s" >&2
