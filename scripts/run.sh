#!/usr/bin/env bash
# Installs what is needed, builds the player, lays out its program folder in dist/ (the player,
# the empty library "dbMedia.mdb", "PlayLists" and "Other") and starts it there.
# An existing dist/dbMedia.mdb is the user's library and is never replaced.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-packages.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build-release --target Jukora shipped_library
mkdir -p dist/PlayLists dist/Other
cp build-release/Jukora dist/Jukora
cp build-release/jukora-web dist/jukora-web
[ -e dist/dbMedia.mdb ] || cp build-release/dbMedia.mdb dist/dbMedia.mdb
exec dist/Jukora "$@"
