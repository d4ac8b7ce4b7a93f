#!/usr/bin/env bash
# Builds the Debian package from a build folder, checks its files and dependencies with dpkg-deb,
# unpacks it into a temporary root and starts the packaged "jukora" there on a virtual display
# with a temporary HOME: the program folder must be made with the empty library, and the player
# must reach the empty-library question.
# Usage: package_test.sh BUILD_FOLDER CPACK
set -euo pipefail
build=$1
cpack=$2
work=$(mktemp -d)
player=""
cleanup() {
    [ -n "$player" ] && kill -9 "$player" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack could not build the package"; }
deb=$(ls "$work"/out/jukora_*.deb)
echo "package: $(basename "$deb") ($(stat -c %s "$deb") bytes)"

contents=$(dpkg-deb -c "$deb")
for file in ./usr/bin/jukora ./usr/lib/jukora/Jukora ./usr/lib/jukora/dbMedia.mdb \
    ./usr/share/applications/jukora.desktop ./usr/share/icons/hicolor/scalable/apps/jukora.svg; do
    grep -q " $file\$" <<<"$contents" || fail "the package lacks $file"
done
for program in ./usr/bin/jukora ./usr/lib/jukora/Jukora; do
    grep -q "^-rwxr-xr-x .* $program\$" <<<"$contents" || fail "$program is not executable"
done

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for dependency in libqt6widgets6 libqt6core6 libmpv2 libsqlite3-0 libc6 qt6-qpa-plugins; do
    grep -Eq "(^|, )$dependency( |,|$)" <<<"$depends" || fail "Depends lacks $dependency"
done
[ "$(dpkg-deb -f "$deb" Package)" = jukora ] || fail "the package is not named jukora"

root="$work/root"
dpkg-deb -x "$deb" "$root"
grep -qx 'Exec=jukora %f' "$root/usr/share/applications/jukora.desktop" ||
    fail "the menu entry does not run the command jukora"
grep -q '^MimeType=audio/mpeg;' "$root/usr/share/applications/jukora.desktop" ||
    fail "the menu entry names no media types"

# The packaged command on a virtual display, with a HOME of its own.
home="$work/home"
mkdir -p "$home"
cat >"$work/drive.sh" <<'DRIVE'
#!/usr/bin/env bash
set -u
"$1" &
echo $! >"$2"
# The empty-library question is a window of its own.
timeout 60 xdotool search --sync --name '^Jukora - Empty library$' >/dev/null
asked=$?
kill -9 "$(cat "$2")" 2>/dev/null
exit $asked
DRIVE
env -i PATH="$PATH" HOME="$home" JUKORA_MPV_OPTIONS="ao=null vo=null" QT_QPA_PLATFORM=xcb \
    ASAN_OPTIONS="${ASAN_OPTIONS:-}" LSAN_OPTIONS="${LSAN_OPTIONS:-}" \
    xvfb-run -a -s "-screen 0 800x600x24" bash "$work/drive.sh" "$root/usr/bin/jukora" \
    "$work/pid" || { player=$(cat "$work/pid" 2>/dev/null || true); \
    fail "the packaged player did not ask the empty-library question"; }
player=$(cat "$work/pid")

folder="$home/.local/share/Orvane/Jukora"
cmp -s "$folder/dbMedia.mdb" "$root/usr/lib/jukora/dbMedia.mdb" ||
    fail "the program folder has no copy of the shipped empty library"
[ -d "$folder/PlayLists" ] && [ -d "$folder/Other" ] || fail "PlayLists or Other is missing"
echo "the packaged player asked the empty-library question in $folder"
