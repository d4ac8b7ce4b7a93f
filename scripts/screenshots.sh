#!/usr/bin/env bash
# Screenshots of the player as a user sees it, for docs/ and the README: the main window playing
# a song, with the add panel open, with the edit panel open, and the mini player. Runs the real
# player under Xvfb on a small library of its own (songs made with ffmpeg) and drives it with
# xdotool. Usage: bash scripts/screenshots.sh [build-dir] [scale-factor] [output-folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-ci}
scale=${2:-1}
out=${3:-docs/screenshots}
suffix=""
[ "$scale" = 1 ] || suffix="@${scale}x"
work=$(mktemp -d)
player=""
xvfb=""
trap 'kill $player $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
# Xvfb picks a free display itself and writes its number.
Xvfb -displayfd 3 -screen 0 $((1280 * scale))x$((1024 * scale))x24 3>"$work/display" \
  >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
display=:$(cat "$work/display")
export DISPLAY=$display QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale JUKORA_MPV_OPTIONS=ao=null
export HOME=$work/home
mkdir -p "$out" "$HOME" "$work/prog/Other" "$work/prog/PlayLists" "$work/music"

# The library: a few artists, songs that exist as files, play counts and two playlists.
songs=("Northwind|Blue River" "Northwind|Harbour Lights" "Tern|Tide" "Tern|Salt Air"
       "Copper Kettle|Morning Rain" "Copper Kettle|Lantern" "Ash Grove|Slow Summer"
       "Ash Grove|Winter Line" "Meridian|Open Road" "Meridian|Night Drive")
cp "$build/dbMedia.mdb" "$work/prog/dbMedia.mdb"
sql="BEGIN;"
for i in "${!songs[@]}"; do
  id=$((i + 1))
  artist=${songs[$i]%%|*}
  title=${songs[$i]#*|}
  file="$work/music/$artist - $title.ogg"
  ffmpeg -loglevel error -f lavfi -i "sine=frequency=$((220 + 40 * i)):duration=200" \
         -c:a libvorbis "$file"
  sql+="INSERT INTO tblSong VALUES ($id, '$title', '$artist', '$file', $(( (i * 7) % 11 )));"
done
sql+="INSERT INTO tblPlayList VALUES (1, 'Road trip'); INSERT INTO tblPlayList VALUES (2, 'Evening');"
sql+="INSERT INTO tblPlayListTracks VALUES (1, 1, 9); INSERT INTO tblPlayListTracks VALUES (2, 1, 10);"
sql+="COMMIT;"
python3 -c 'import sqlite3,sys; db=sqlite3.connect(sys.argv[1]); db.executescript(sys.argv[2])' \
  "$work/prog/dbMedia.mdb" "$sql"

JUKORA_PROGRAM_FOLDER="$work/prog" "$build/Jukora" >"$work/player.log" 2>&1 &
player=$!
main=""
for _ in $(seq 100); do
  main=$(xdotool search --onlyvisible --name '^Jukora - V2\.1$' 2>/dev/null | head -1) && [ -n "$main" ] && break
  sleep 0.1
done
[ -n "$main" ] || { echo "the player did not show its window" >&2; cat "$work/player.log" >&2; exit 1; }
sleep 1.5
eval "$(xdotool getwindowgeometry --shell "$main")"
wx=$X wy=$Y

# Moves onto a point given in twips of the main window, so that its button lights up.
at() { echo $((wx + $1 * scale / 15)) $((wy + $2 * scale / 15)); }
hover() { xdotool mousemove $(at "$1" "$2"); sleep 0.2; xdotool mousemove_relative 1 1; sleep 0.3; }
press() { hover "$1" "$2"; xdotool click 1; sleep 0.8; }
shot() { sleep 0.5; import -window "$1" "$out/$2$suffix.png"; echo "$out/$2$suffix.png"; }

# Play the third track: double-click its line.
xdotool mousemove $(at 4000 4650); sleep 0.2; xdotool click --repeat 2 --delay 80 1; sleep 2.5
hover 3000 8000 # over the bottom strip: nothing lit
shot "$main" main-playing

press 4000 4650            # select the line
press 7897 5292            # add to playlist
shot "$main" main-add-panel
press 6337 5857            # cancel add

press 1830 360             # edit playlist
hover 8000 5000
shot "$main" main-edit-panel
press 7177 5857            # done

press 8040 360             # the mini player
mini=$(xdotool search --onlyvisible --name '^Jukora - V2\.1$' 2>/dev/null | grep -v "^$main$" | head -1)
[ -n "$mini" ] || { echo "the mini player did not show" >&2; exit 1; }
shot "$mini" mini-player
