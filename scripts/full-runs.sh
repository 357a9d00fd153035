#!/usr/bin/env bash
# Plays the whole show RUNS times (default 3) with the demo binary, as a
# user would, under a virtual display and SDL's disk audio driver, and checks
# each run: exit status 0 with "requested exit" at the show's end (demo time
# 238775 ms, within a frame), no "## ERROR" and no "efNN:" line, and a
# disk-audio file that holds the whole music: its sound, from the first
# non-silent sample to the last, lasts as long as the music's own. The disk
# driver writes a buffer every 20 ms, faster than it is played, so that a
# loaded machine still gets the whole music out before the show ends (the
# rest of the file is silence). tools/full_run's exit clock, preloaded into
# the program, reports the demo time and peak memory at exit. Uses build/ or
# $BUILD_DIR; each run takes the show's four minutes (killed after seven).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
runs="${1:-3}"
end_ms=238775
frame_ms=40
"$root/scripts/build.sh" demo data exit_clock >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# Seconds from the first non-silent sample to the last of 44.1 kHz stereo
# 16-bit samples (the mixer writes silence as zero bytes).
sound_span() {
  python3 -c '
import sys
data = open(sys.argv[1], "rb").read()
first = len(data) - len(data.lstrip(b"\0"))
print("%.1f" % (max(0, len(data.rstrip(b"\0")) - first) / 176400))' "$1"
}
ffmpeg -loglevel error -i "$root/data/demo-full.ogg" -f s16le -ac 2 -ar 44100 "$work/music.raw"
music_s="$(sound_span "$work/music.raw")"
failed=0
for run in $(seq "$runs"); do
  dir="$work/run$run"
  mkdir -p "$dir"
  status=0
  (cd "$build" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$dir/audio.raw" SDL_DISKAUDIODELAY=20 \
    DEMO_QUIET_DISPLAY=1 \
    "$root/scripts/with-display.sh" timeout 420 \
    env LD_PRELOAD="$build/tools/full_run/libexit_clock.so" ./demo >"$dir/out.txt" 2>"$dir/err.txt") || status=$?
  clock="$(grep -h '^exit clock:' "$dir/err.txt" || true)"
  at_ms="$(sed -n 's/.*at demo time \([0-9]*\) ms.*/\1/p' <<<"$clock")"
  audio_s="$(sound_span "$dir/audio.raw")"
  problems=()
  [ "$status" -eq 0 ] || problems+=("exit status $status")
  grep -qx 'requested exit' "$dir/err.txt" || problems+=('no "requested exit"')
  if [ -z "$at_ms" ] || [ "$at_ms" -lt "$end_ms" ] || [ "$at_ms" -gt $((end_ms + frame_ms)) ]; then
    problems+=("ended at ${at_ms:-?} ms, not within a frame after $end_ms")
  fi
  if grep -hE '## ERROR|ef[0-9][0-9]:' "$dir/out.txt" "$dir/err.txt" >"$dir/errors.txt"; then
    problems+=("$(wc -l <"$dir/errors.txt") error lines, first: $(head -n 1 "$dir/errors.txt")")
  fi
  awk -v a="$audio_s" -v m="$music_s" 'BEGIN { exit !(a >= m) }' ||
    problems+=("disk audio holds ${audio_s} s of sound, the music lasts ${music_s} s")
  echo "run $run: ${clock#exit clock: }; $(tail -n 1 "$dir/err.txt"); ${audio_s} s of sound on disk, music ${music_s} s"
  if [ ${#problems[@]} -gt 0 ]; then
    printf '  FAILED: %s\n' "${problems[@]}"
    failed=1
  fi
done
exit "$failed"
