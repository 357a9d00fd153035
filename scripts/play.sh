#!/usr/bin/env bash
# Installs what is missing, builds the demo and its data, and plays the show
# from build/: on a real screen full screen at the desktop's size with the
# machine's own GL, otherwise under a virtual display (SDL's dummy audio
# driver when there is no audio output). Options given are passed to the demo
# instead (see build/demo --help).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" demo data audio_probe
cd "$root/build"
# The program itself ends at start-up without an audio output; ask first (the
# probe's last line says why, after whatever the audio libraries printed).
if [ -z "${SDL_AUDIODRIVER:-}" ] && ! reason="$(tools/audio_probe/audio_probe 2>&1)"; then
  reason="${reason##*$'\n'}"
  echo "no audio output (${reason#audio_probe: }): playing silently with SDL's dummy audio driver" >&2
  export SDL_AUDIODRIVER=dummy
fi
if [ $# -eq 0 ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec ./demo --desktop
fi
exec "$root/scripts/with-display.sh" ./demo "$@"
