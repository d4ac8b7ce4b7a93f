# Shared by the start-up measurements: a virtual X display of their own, a library of 32,767
# songs made from the build's empty library, and the peak memory of a process. Sourced, with
# $build and $work set by the caller.

# Starts Xvfb on a display it finds free and points the player at it; $xvfb is its pid.
start_display() {
  Xvfb -displayfd 3 -screen 0 1280x1024x24 3>"$work/display" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
  display=:$(cat "$work/display")
  export DISPLAY=$display QT_QPA_PLATFORM=xcb JUKORA_MPV_OPTIONS=ao=null
}

# Writes the full library (32,767 songs, 3,000 artists) to the file $1.
make_full_library() {
  cp "$build/dbMedia.mdb" "$1"
  python3 - "$1" <<'PY'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
db.executemany("INSERT INTO tblSong VALUES (?, ?, ?, ?, 0)",
               ((i, "Title %d" % i, "Artist %d" % (i % 3000), "/music/song%d.mp3" % i)
                for i in range(1, 32768)))
db.commit()
PY
}

hwm() { awk '/VmHWM/ {print $2}' "/proc/$1/status" 2>/dev/null || echo 0; }
