#!/usr/bin/env bash
# Start-up time and peak memory of the player with and without its preferences window's web
# views (the web host started, or JUKORA_WEB_HOST pointing nowhere so the views show their plain
# line). Each round starts the player under Xvfb on a library of 32,767 songs, measures the
# time from the start to the main window being viewable, lets it run `settle` seconds, and reads
# the peak resident memory (VmHWM) of the player and the sum of the peaks of the web host and the
# web engine's processes under it (all the player's descendants).
# Usage: bash bench/prefs_startup.sh [build-dir] [rounds] [settle-seconds]
set -euo pipefail
build=${1:-build-ci}
rounds=${2:-5}
settle=${3:-8}
work=$(mktemp -d)
xvfb=""
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
source "$(dirname "$0")/startup_common.sh"
start_display
make_full_library "$work/library.mdb"
descendants() { for c in $(pgrep -P "$1" || true); do echo "$c"; descendants "$c"; done; }
for mode in without with; do
  for round in $(seq "$rounds"); do
    folder="$work/prog-$mode-$round"
    mkdir -p "$folder/Other" "$folder/PlayLists"
    cp "$work/library.mdb" "$folder/dbMedia.mdb"
    if [ "$mode" = without ]; then host=/nonexistent/jukora-web; else host=""; fi
    start=$(date +%s%N)
    JUKORA_PROGRAM_FOLDER="$folder" JUKORA_WEB_HOST="$host" "$build/Jukora" >/dev/null 2>&1 &
    pid=$!
    # Polled every 10 ms or so (xdotool's own --sync waits in steps of half a second).
    until xdotool search --onlyvisible --name '^Jukora - V2\.1$' >/dev/null 2>&1; do sleep 0.01; done
    shown=$(( ($(date +%s%N) - start) / 1000000 ))
    sleep "$settle"
    player=$(hwm "$pid")
    helpers=0
    for child in $(descendants "$pid"); do helpers=$((helpers + $(hwm "$child"))); done
    kill "$pid"; wait "$pid" 2>/dev/null || true
    echo "$mode web views, round $round: window on screen after $shown ms;" \
         "peak memory: player $((player / 1024)) MB, web host and engine $((helpers / 1024)) MB"
  done
done
