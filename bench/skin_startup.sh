#!/usr/bin/env bash
# Start-up time and peak memory of the player on an empty library and on one of 32,767 songs.
# Each round starts the player under Xvfb, measures the time from the start to the main window
# being mapped (told by the X server as it happens, by jukora-map-watch of the target
# "benchmarks", which it builds if need be; polling with a window search would take the starting
# program's CPU), lets it run `settle` seconds and reads its peak resident memory (VmHWM). A
# second program (an earlier build, say one without the skin's art) can be measured the same way
# for comparison. Usage: bash bench/skin_startup.sh [build-dir] [rounds] [other-player]
set -euo pipefail
build=${1:-build-ci}
rounds=${2:-5}
other=${3:-}
settle=3
work=$(mktemp -d)
xvfb=""
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
source "$(dirname "$0")/startup_common.sh"
[ -x "$build/jukora-map-watch" ] || cmake --build "$build" --target jukora-map-watch > /dev/null
start_display
export HOME=$work
cp "$build/dbMedia.mdb" "$work/empty.mdb"
make_full_library "$work/full.mdb"
programs=("$build/Jukora")
[ -z "$other" ] || programs+=("$other")
# The programs take turns round by round, so that a slower spell of the machine falls on both.
for library in empty full; do
  for round in $(seq "$rounds"); do
    for i in "${!programs[@]}"; do
      program=${programs[$i]}
      folder="$work/prog-$library-$round-$i"
      rm -rf "$folder"; mkdir -p "$folder/Other" "$folder/PlayLists"
      cp "$work/$library.mdb" "$folder/dbMedia.mdb"
      # The web views are left out (their host pointing nowhere): they start after the window.
      read -r pid shown < <(JUKORA_PROGRAM_FOLDER="$folder" \
        JUKORA_WEB_HOST=/nonexistent/jukora-web \
        "$build/jukora-map-watch" "Jukora - V2.1" 10000 "$program")
      sleep "$settle"
      peak=$(hwm "$pid")
      kill "$pid"
      for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
      echo "$program, $library library, round $round: window on screen after $shown ms; peak memory $((peak / 1024)) MB" | tee -a "$work/results"
    done
  done
done
echo "Medians:"
for program in "${programs[@]}"; do
  for library in empty full; do
    grep -F "$program, $library library," "$work/results" | sed 's/.* after \([0-9.]*\) ms.*/\1/' |
      sort -n | awk -v p="$program" -v l="$library" '{v[NR]=$1} END {
        m = NR % 2 ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2
        printf "%s, %s library: median %.1f ms of %d rounds\n", p, l, m, NR}'
  done
done
