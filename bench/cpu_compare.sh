#!/usr/bin/env bash
# Compares the CPU time of the running player, playing a song with its main window shown and the
# 10 ms tick running, against the mpv player playing the same file without video, in one run.
# Usage: bash bench/cpu_compare.sh [build folder] [seconds]   (as root on Debian; uses Xvfb)
set -euo pipefail
build=${1:-build}
seconds=${2:-20}
for tool in mpv sqlite3 bc; do
  command -v "$tool" > /dev/null || { apt-get update -q && apt-get install -y -q --no-install-recommends "$tool"; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ffmpeg -loglevel error -y -f lavfi -i "sine=frequency=440:duration=$((seconds + 30))" -ar 44100 "$work/song.mp3"
cp "$build/dbMedia.mdb" "$work/dbMedia.mdb"
sqlite3 "$work/dbMedia.mdb" "INSERT INTO tblSong (songid, Title, artist, filepath) VALUES (1, 'Tone', 'Test', '$work/song.mp3')"

# CPU seconds (user + system) a process used so far.
cpu() { awk -v hz="$(getconf CLK_TCK)" '{ printf "%.2f", ($14 + $15) / hz }' "/proc/$1/stat"; }
measure() { # pid
  sleep 3
  local before; before=$(cpu "$1")
  sleep "$seconds"
  echo "$(cpu "$1") - $before" | bc
}

export JUKORA_PROGRAM_FOLDER=$work JUKORA_MPV_OPTIONS="ao=null"
xvfb-run -a -s "-screen 0 800x700x24" "$build/Jukora" "$work/song.mp3" 2> /dev/null &
sleep 2
player=$(pgrep -n -f "$build/Jukora $work/song.mp3")
echo "jukora (window shown, tick running): $(measure "$player") s of CPU in $seconds s"
kill "$player"
wait
mpv --no-video --ao=null --no-terminal "$work/song.mp3" &
echo "mpv --no-video: $(measure $!) s of CPU in $seconds s"
kill %1 2> /dev/null || true
wait
# The floor: a Qt window and a 10 ms timer with nothing to do (built by the target "benchmarks").
if [ -x "$build/jukora-loop-floor" ]; then
  xvfb-run -a -s "-screen 0 800x700x24" "$build/jukora-loop-floor" 2> /dev/null &
  sleep 2
  floor=$(pgrep -n -f "$build/jukora-loop-floor")
  echo "empty Qt window with a 10 ms timer: $(measure "$floor") s of CPU in $seconds s"
  kill "$floor"
  wait
fi
