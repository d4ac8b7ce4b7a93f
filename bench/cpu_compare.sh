#!/usr/bin/env bash
# Compares the CPU time of the running player, playing a song with its main window shown and the
# 10 ms tick running, against the mpv player playing the same file without video. Both play at
# the same time, so that both see the same machine; a virtual machine's figures for a window of
# 20 s vary by a tenth from one window to the next. Several rounds; the medians are compared.
# A second copy of the player, on a program folder of its own, runs beside them with its window
# shown and nothing playing: its CPU is what the player costs while it waits. The peak memory of
# each (VmHWM) is printed with the round.
# Usage: bash bench/cpu_compare.sh [build folder] [seconds] [rounds] [audio output] [item] [library]
#   audio output: null (mpv's null output, the default) or pulse (a PulseAudio server of its own
#   with a null sink, started here: the path the sound takes on a desktop). As root on Debian.
#   item: song (the default), or video: a 640x360, 25 fps library video that the player shows in
#   its pinned video window, against "mpv --vo=x11" showing the same file.
#   library: one (the played song alone, the default) or full: 32,767 songs and 3,000 artists,
#   the first of them the played song, in the playing player's library.
set -euo pipefail
build=${1:-build}
seconds=${2:-20}
rounds=${3:-3}
ao=${4:-null}
item=${5:-song}
library=${6:-one}
for tool in mpv sqlite3 bc xvfb-run; do
  command -v "$tool" > /dev/null || { apt-get update -q && apt-get install -y -q --no-install-recommends "${tool/xvfb-run/xvfb}"; }
done
work=$(mktemp -d)
trap 'pkill -f "$work" 2> /dev/null || true; [ "$ao" = pulse ] && pulseaudio --kill 2> /dev/null; rm -rf "$work"' EXIT
if [ "$ao" = pulse ]; then
  command -v pulseaudio > /dev/null || { apt-get update -q && apt-get install -y -q --no-install-recommends pulseaudio; }
  export XDG_RUNTIME_DIR=$work/runtime
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  pulseaudio -D --exit-idle-time=-1 -n --load="module-null-sink sink_name=null" \
    --load=module-native-protocol-unix 2> /dev/null
  for _ in $(seq 50); do pactl info > /dev/null 2>&1 && break; sleep 0.1; done
fi
if [ "$item" = video ]; then
  file=$work/clip.mpg
  ffmpeg -loglevel error -y -f lavfi -i "testsrc=duration=$((seconds + 30)):size=640x360:rate=25" \
    -f lavfi -i "sine=frequency=440:duration=$((seconds + 30))" -c:v mpeg1video -q:v 4 -c:a mp2 \
    -shortest "$file"
  other=(--vo=x11)
else
  file=$work/song.mp3
  ffmpeg -loglevel error -y -f lavfi -i "sine=frequency=440:duration=$((seconds + 30))" -ar 44100 "$file"
  other=(--no-video)
fi
cp "$build/dbMedia.mdb" "$work/dbMedia.mdb"
sqlite3 "$work/dbMedia.mdb" "INSERT INTO tblSong (songid, Title, artist, filepath) VALUES (1, 'Tone', 'Test', '$file')"

# CPU seconds (user + system) a process used so far, all its threads.
cpu() { awk -v hz="$(getconf CLK_TCK)" '{ printf "%.2f", ($14 + $15) / hz }' "/proc/$1/stat"; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
started() { # command line pattern: the newest process whose command line starts with it
  local pid=""
  for _ in $(seq 50); do pid=$(pgrep -n -f "^$1" || true); [ -n "$pid" ] && break; sleep 0.1; done
  echo "$pid"
}

mkdir -p "$work/idle/Other" "$work/idle/PlayLists"
cp "$work/dbMedia.mdb" "$work/idle/dbMedia.mdb"
if [ "$library" = full ]; then
  source "$(dirname "$0")/startup_common.sh"
  rm "$work/dbMedia.mdb"
  make_full_library "$work/dbMedia.mdb"
  sqlite3 "$work/dbMedia.mdb" "UPDATE tblSong SET Title = 'Tone', filepath = '$file' WHERE songid = 1"
fi
hwm() { awk '/VmHWM/ { printf "%.1f", $2 / 1024 }' "/proc/$1/status" 2> /dev/null || echo 0; }
export JUKORA_PROGRAM_FOLDER=$work JUKORA_MPV_OPTIONS="ao=$ao"
# The preferences window's web pages are drawn by a program of their own (bench/prefs_startup.sh
# measures it); it is left out here, where only the player is measured. Its engine also spins
# when run under a real-time scheduling class (chrt), as these figures are best taken.
export JUKORA_WEB_HOST=/nonexistent/jukora-web
: > "$work/jukora"; : > "$work/mpv"; : > "$work/peak"; : > "$work/floor"; : > "$work/ratio"; : > "$work/stopped"
for round in $(seq "$rounds"); do
  # xvfb-run -a picks a free display by looking for one: servers started at the same moment can
  # pick the same one, and the loser waits for ever. They are started a moment apart.
  xvfb-run -a -s "-screen 0 800x700x24" "$build/Jukora" "$file" 2> /dev/null &
  sleep 1
  xvfb-run -a -s "-screen 0 800x700x24" mpv "${other[@]}" --ao="$ao" --no-terminal "$file" &
  sleep 1
  JUKORA_PROGRAM_FOLDER=$work/idle xvfb-run -a -s "-screen 0 800x700x24" "$build/Jukora" 2> /dev/null &
  sleep 1
  # The floor: a Qt window and a 10 ms timer with nothing to do (built by the target "benchmarks").
  floor=""
  if [ -x "$build/jukora-loop-floor" ]; then
    xvfb-run -a -s "-screen 0 800x700x24" "$build/jukora-loop-floor" "$work" 2> /dev/null &
  fi
  player=$(started "$build/Jukora $file")
  music=$(started "mpv ${other[*]} --ao=$ao --no-terminal $file")
  idle=$(started "$build/Jukora\$")
  [ -x "$build/jukora-loop-floor" ] && floor=$(started "$build/jukora-loop-floor $work")
  sleep 5
  j0=$(cpu "$player"); m0=$(cpu "$music"); i0=$(cpu "$idle"); f0=$([ -n "$floor" ] && cpu "$floor" || echo 0)
  sleep "$seconds"
  j=$(echo "$(cpu "$player") - $j0" | bc); m=$(echo "$(cpu "$music") - $m0" | bc)
  i=$(echo "$(cpu "$idle") - $i0" | bc)
  echo "$j" >> "$work/jukora"; echo "$m" >> "$work/mpv"
  echo "scale=3; 100 * $i / $seconds" | bc >> "$work/stopped"
  echo "scale=2; $j / $m" | bc >> "$work/ratio"
  line="round $round: jukora (window shown, tick running) $j s, mpv ${other[*]} $m s, ratio $(tail -1 "$work/ratio")"
  if [ -n "$floor" ]; then
    f=$(echo "$(cpu "$floor") - $f0" | bc); echo "$f" >> "$work/floor"
    line="$line, empty Qt window with a 10 ms timer $f s"
  fi
  hwm "$player" >> "$work/peak"; echo >> "$work/peak"
  echo "$line (CPU in $seconds s); stopped jukora $i s ($(tail -1 "$work/stopped") % of a core);" \
       "peak memory: jukora $(hwm "$player") MB, mpv $(hwm "$music") MB, stopped jukora $(hwm "$idle") MB"
  kill "$player" "$music" "$idle" $floor 2> /dev/null || true
  # A program not found in time (its pid empty above) is ended with its display: whatever each
  # xvfb-run still runs is stopped, so that the wait cannot hang.
  sleep 1
  for job in $(jobs -p); do pkill -P "$job" 2> /dev/null || true; done
  wait
done
j=$(median < "$work/jukora"); m=$(median < "$work/mpv")
echo "$item, audio output $ao, $library library; median CPU in $seconds s: jukora $j s, mpv $m s; median of the rounds' ratios $(median < "$work/ratio")"
echo "median peak memory of the playing player: $(median < "$work/peak") MB (MiB)"
echo "median CPU of the stopped player with its window shown: $(median < "$work/stopped") % of a core"
if [ -s "$work/floor" ]; then echo "median empty Qt window with a 10 ms timer: $(median < "$work/floor") s"; fi
