#!/usr/bin/env bash
# The game as a player installs it: builds the .deb with CPack, checks its
# dependencies and contents, unpacks it with dpkg -x into a scratch root,
# validates the launcher and the software-centre metadata, tries the command
# line, then starts the unpacked game under the test run's X server from an
# unrelated folder with an empty home, and checks that its window shows the
# title, that it made the player's config.ini and that Q quits it cleanly.
# A picture of the title goes to <build>/screenshots/installed_title.png.
# Usage: check_install.sh <source dir> <build dir> [sanitized]
# Exit status 77 (skipped) in a sanitized build, without generated assets, or
# (after every other check) without a display.
set -euo pipefail
source_dir=$1
build=$2
here=$(cd "$(dirname "$0")" && pwd)

if [ "${3:-}" = sanitized ]; then
    echo "SKIP: the package is made from the normal build"
    exit 77
fi
if [ ! -f "$source_dir/assets/generated.stamp" ] || [ ! -d "$source_dir/assets/icons" ]; then
    echo "SKIP: no generated assets (the asset generator is not part of this build)"
    exit 77
fi

scratch=$(mktemp -d)
game_pid=""
cleanup() {
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    exit 1
}

echo "== package"
cpack --config "$build/CPackConfig.cmake" -B "$scratch/package" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log"; fail "cpack"; }
deb=$(ls "$scratch"/package/torquewind_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# dpkg-shlibdeps names the packages of the libraries the game links.
for library in libglfw3 libglew2.2 libopenal1 libsndfile1 libassimp5 libbullet3.24 libmeshoptimizer2d libfreeimage3 \
    libfreetype6 libinireader0 libc6 libstdc++6; do
    [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library"
done
[ "$(dpkg-deb -f "$deb" Section)" = games ] || fail "section is not games"

echo "== contents"
root=$scratch/root
dpkg -x "$deb" "$root"
usr=$root/usr
for file in games/torquewind share/games/torquewind/scenes/Track_01_LM.fbx share/games/torquewind/core/shaders \
    share/games/torquewind/game.ini share/man/man6/torquewind.6.gz; do
    [ -e "$usr/$file" ] || fail "missing $file"
done
for size in 16 22 24 32 48 64 128 256; do
    [ -f "$usr/share/icons/hicolor/${size}x${size}/apps/torquewind.png" ] || fail "missing the ${size} px icon"
done
[ ! -e "$usr/share/games/torquewind/icons" ] || fail "the icons went into the game's data too"
[ ! -e "$usr/share/games/torquewind/generated.stamp" ] || fail "the build's stamp was packed"
desktop=$(ls "$usr"/share/applications/*.desktop)
metainfo=$(ls "$usr"/share/metainfo/*.metainfo.xml)
desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
grep -q "<launchable type=\"desktop-id\">$(basename "$desktop")</launchable>" "$metainfo" ||
    fail "the metadata does not name the launcher $(basename "$desktop")"
grep -qx "Icon=torquewind" "$desktop" || fail "the launcher names another icon"
grep -qx "Exec=torquewind" "$desktop" || fail "the launcher starts something else"

echo "== command line"
exe=$usr/games/torquewind
[ "$("$exe" --version)" = "Torquewind $(dpkg-deb -f "$deb" Version | cut -d- -f1)" ] || fail "--version"
"$exe" --help | grep -q "^Usage: torquewind \[OPTION\]" || fail "--help"
status=0
"$exe" --no-such-option >"$scratch/out" 2>"$scratch/err" || status=$?
[ "$status" -eq 2 ] || fail "an unknown option exited with $status, not 2"
grep -q "unrecognised option '--no-such-option'" "$scratch/err" && grep -q "^Usage:" "$scratch/err" ||
    fail "an unknown option printed no usage"
[ ! -s "$scratch/out" ] || fail "the usage error went to standard output"

if [ -z "${DISPLAY:-}" ]; then
    echo "SKIP: no DISPLAY to start the installed game on"
    exit 77
fi

echo "== first run"
home=$scratch/home
mkdir -p "$home" "$scratch/elsewhere"
(cd "$scratch/elsewhere" &&
    exec env -i PATH=/usr/bin:/bin HOME="$home" DISPLAY="$DISPLAY" ALSOFT_DRIVERS=null "$exe") \
    >"$scratch/game.log" 2>&1 &
game_pid=$!
# Other tests' windows on the same server are titled Torquewind too: match the process as well.
window=$(timeout 60 xdotool search --sync --all --onlyvisible --pid "$game_pid" --name '^Torquewind$' | head -1) ||
    { cat "$scratch/game.log"; fail "no window titled Torquewind"; }
config=$home/.config/torquewind/config.ini
[ -f "$config" ] || fail "no $config"
grep -qx "title=Torquewind" "$config" || fail "the new config.ini lacks the defaults"

# Each second: a picture of the window, then Q. Q quits only once the race has
# loaded behind the title, so the last picture shows the title as a player sees
# it when the game is ready.
colours=0
status=""
for _ in $(seq 1 90); do
    sleep 1
    if xwd -silent -id "$window" >"$scratch/shot.xwd" 2>/dev/null; then
        colours=$(python3 "$here/xwd_to_png.py" "$scratch/shot.xwd" "$scratch/title.png")
    fi
    # Sent to this window only: a key typed through the keyboard could land in another test's window.
    xdotool key --window "$window" q 2>/dev/null || true
    sleep 0.5
    if ! kill -0 "$game_pid" 2>/dev/null; then
        status=0
        wait "$game_pid" || status=$?
        break
    fi
done
mkdir -p "$build/screenshots"
[ -f "$scratch/title.png" ] && cp "$scratch/title.png" "$build/screenshots/installed_title.png"
game_pid_was=$game_pid
game_pid=""
[ -n "$status" ] || { kill "$game_pid_was"; fail "Q did not quit the game"; }
[ "$status" -eq 0 ] || { cat "$scratch/game.log"; fail "the game exited with $status"; }
# The title art over the sky has thousands of colours; a window without its assets has a handful.
[ "$colours" -gt 1000 ] || fail "the window showed no title picture ($colours colours)"
grep -q "Created $config with the default settings" "$scratch/game.log" || fail "no log line for the new config"
if grep -Ei "not found|failed|error" "$scratch/game.log"; then
    fail "the installed game reported problems"
fi
[ -z "$(ls -A "$scratch/elsewhere")" ] || fail "the game wrote into the working directory"
echo "OK: installed package checked"
