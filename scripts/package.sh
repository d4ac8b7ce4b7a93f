#!/usr/bin/env bash
# Installs what is needed, builds the player and makes its Debian package in dist-deb/
# (jukora_<version>_<architecture>.deb). Install it with: apt install ./dist-deb/jukora_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-packages.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build-release --target Jukora shipped_library
rm -rf dist-deb
cpack -G DEB --config build-release/CPackConfig.cmake -B dist-deb
rm -rf dist-deb/_CPack_Packages
ls dist-deb/*.deb
