#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Jukora need.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev libmpv-dev libsqlite3-dev libx11-dev libfontconfig-dev
  libgtest-dev libbenchmark-dev clang-format
  ffmpeg dbus xvfb xauth
  # installer, icon and Debian package
  librsvg2-bin xdotool dpkg-dev libglib2.0-bin
  # preferences window: the web views, and the MIME database the registration uses
  qt6-webengine-dev shared-mime-info
  # fuzz targets (scripts/fuzz.sh)
  clang libclang-rt-14-dev libfuzzer-14-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
