#!/usr/bin/env bash
# Installs what Vantorel needs on Debian 12 and builds it into ./build.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libfontconfig-dev
  libmpv-dev libavformat-dev libavcodec-dev libavutil-dev libssl-dev libbluray-dev libdvdread-dev libudfread-dev libicu-dev
  fonts-crosextra-carlito qt6-translations-l10n
  ffmpeg dvdauthor genisoimage libbluray-bin xvfb xauth x11-utils dbus-daemon mpv
  desktop-file-utils appstream playerctl dpkg-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  as_root=()
  [ "$(id -u)" -eq 0 ] || as_root=(sudo)
  "${as_root[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo ${VANTOREL_CMAKE_ARGS:-}
cmake --build build -j"$(nproc)"
