#!/usr/bin/env bash
# Installs every Debian package the project needs. Idempotent: does nothing
# when all of them are present already.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libsdl1.2-dev libsdl-mixer1.2-dev libdevil-dev libglu1-mesa-dev
  libgl1-mesa-dri mesa-utils xvfb xauth x11-apps x11-utils libx11-dev libxtst-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  libvorbis-dev libogg-dev libebur128-dev
  libtinyobjloader-dev
  unar xz-utils ffmpeg sox imagemagick fonts-dejavu-core
  libssl-dev libpng-dev libjpeg-dev libfreetype-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
