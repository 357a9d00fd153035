#!/usr/bin/env bash
# Installs what is missing, builds the demo and its data, and plays the show
# from build/ (a virtual display is used when there is no screen, SDL's dummy
# audio driver when there is no audio output).
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
exec "$root/scripts/with-display.sh" ./demo
