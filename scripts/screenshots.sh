#!/usr/bin/env bash
# Takes the README's screenshots of the real program under a virtual X
# server (Xvfb):
#   docs/screenshots/main.png    the window as it starts
#   docs/screenshots/groups.png  after a scan of a small generated tree
#
# The program runs from a copy in a temporary folder, so that its
# settings.dat (kept beside the program) starts from the file written here:
# no Quick Start Wizard, "Do nothing" after the search, nothing skipped.
# The scan is started through QUILLFEN_SCREENSHOT_SCAN=<folder>, which adds
# the folder to the paths to scan and presses Scan; the dialogs and
# questions on the way are answered with xdotool.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)

scripts/install-deps.sh xvfb xauth x11-utils xdotool imagemagick
scripts/build.sh

work=$(mktemp -d "${TMPDIR:-/tmp}/quillfen-shots.XXXXXX")
demo=/tmp/quillfen-screenshots
pids=()
cleanup() {
    # The programs first, then the X server they draw on.
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        pid=${pids[i]}
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work" "$demo"
}
trap cleanup EXIT

# A small tree with copies of photos, music and documents, at the same
# place and with the same dates every time, so the pictures only change when
# the program does.
rm -rf "$demo"
tree="$demo/home/alex"
mkdir -p "$tree"/{Pictures/2019,Pictures/Phone,Pictures/Backup,Music/Album,Music/Old,Documents/Copies}
make_file() { head -c "$2" /dev/urandom >"$1"; }
make_file "$tree/Pictures/2019/beach.jpg" 2412345
cp "$tree/Pictures/2019/beach.jpg" "$tree/Pictures/Backup/beach.jpg"
cp "$tree/Pictures/2019/beach.jpg" "$tree/Pictures/Phone/IMG_2041.jpg"
make_file "$tree/Pictures/2019/sunset.jpg" 1834567
cp "$tree/Pictures/2019/sunset.jpg" "$tree/Pictures/Backup/sunset.jpg"
make_file "$tree/Music/Album/01 Overture.flac" 31456789
cp "$tree/Music/Album/01 Overture.flac" "$tree/Music/Old/01 Overture.flac"
make_file "$tree/Documents/report.pdf" 254321
cp "$tree/Documents/report.pdf" "$tree/Documents/Copies/report (1).pdf"
make_file "$tree/Documents/notes.txt" 12345
cp "$tree/Documents/notes.txt" "$tree/Documents/Copies/notes.txt"
make_file "$tree/Documents/letter.odt" 45678
make_file "$tree/Music/Album/02 Allegro.flac" 28765432
find "$tree" -type f -exec touch -d '2024-05-12 14:03:27' {} +

# The program and its settings.dat: window at 40,40 (600 twips), 15000 x
# 10000 twips, no wizard, "Do nothing" after the search, empty skip lists.
mkdir -p "$work/app"
cp build/src/app/quillfen "$work/app/quillfen"
printf '%s\r\n' 15000 10000 0 600 600 True 1 0 1 0 0 0 '' \
    '<skipfolders>' '</skipfolders>' '<skipextensions>' '</skipextensions>' \
    '<prepat>' 'All files|*.*' '</prepat>' >"$work/app/settings.dat"

export DISPLAY=:97
Xvfb "$DISPLAY" -screen 0 1120x760x24 -nolisten tcp -noreset >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do
    xdpyinfo >/dev/null 2>&1 && break
    xdotool getmouselocation >/dev/null 2>&1 && break
    sleep 0.1
done

export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
mkdir -p docs/screenshots

main_window() { xdotool search --sync --onlyvisible --name '^Quillfen v' | head -n 1; }
shot() {
    sleep 1.5
    import -window "$1" "$repo/docs/screenshots/$2"
    echo "Saved docs/screenshots/$2"
}
# Waits up to $3 tenths of a second for a visible window whose title is
# exactly $1 and sends it the key $2 until it goes; true when it went.
# Untitled windows (tooltips) carry the program's name too, and a window
# closed by the key press makes the key release fail, so failures of
# xdotool are not taken as failures of the answer.
answer() {
    local seen=""
    for _ in $(seq "${3:-1200}"); do
        local ids
        ids=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true)
        if [ -z "$ids" ]; then
            [ -n "$seen" ] && return 0
        else
            seen=yes
            for id in $ids; do
                xdotool windowfocus --sync "$id" >/dev/null 2>&1 || true
                xdotool key --window "$id" "$2" >/dev/null 2>&1 || true
            done
        fi
        sleep 0.1
    done
    return 1
}

# 1. The window as it starts.
"$work/app/quillfen" &
pids+=($!)
window=$(main_window)
xdotool mousemove 1100 740
shot "$window" main.png
kill "${pids[-1]}"
wait "${pids[-1]}" 2>/dev/null || true

# 2. After a scan: the groups, the warning notice.
QUILLFEN_SCREENSHOT_SCAN="$tree" "$work/app/quillfen" &
pids+=($!)
window=$(main_window)
# The Settings preview, where the program has one, is confirmed with Begin.
answer "Settings preview" alt+b 30 || true
# The question at the end of the scan offers the comparison; No keeps the list.
answer Quillfen Escape || { echo "The scan did not end with its question" >&2; exit 1; }
xdotool mousemove 1100 740
shot "$window" groups.png
