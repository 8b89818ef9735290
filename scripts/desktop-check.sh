#!/usr/bin/env bash
# Tries the real program as a user would, on a virtual screen (Xvfb) with a
# real window manager (openbox), at scale 1 and at QT_SCALE_FACTOR=2:
#   - drives the main window and every dialog with xdotool (clicks on the
#     command bar and the links, keys in the dialogs);
#   - checks geometry with xwininfo: the window fits the screen, an edge drag
#     ends with the release (moving the pointer afterwards leaves the window
#     where it is), each dialog lies inside the screen and opens centred on
#     the main window, Select files keeps its height after show/hide advanced,
#     the warning notice after a scan ends above the window's bottom edge,
#     Support says so when no program can open the help page;
#   - saves a picture of every dialog in docs/screenshots/<name>-<scale>x.png.
# Exits non-zero when a check fails. Not part of ./test.sh: it needs an X
# server and a window manager and takes a few minutes.
#
# Usage: scripts/desktop-check.sh [1] [2]    (the scales to try; both by default)
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)

scripts/install-deps.sh xvfb xauth x11-utils xdotool imagemagick openbox
[ -f build/build.ninja ] || scripts/build.sh
cmake --build build --target quillfen >/dev/null

scales=("$@")
[ ${#scales[@]} -gt 0 ] || scales=(1 2)

work=$(mktemp -d "${TMPDIR:-/tmp}/quillfen-desktop.XXXXXX")
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
pass() { echo "ok:   $*"; }

# A small tree of copies, the same every time.
tree="$work/home/alex"
mkdir -p "$tree"/{Pictures/2019,Pictures/Backup,Music/Album,Music/Old,Documents/Copies}
make_file() { head -c "$2" /dev/urandom >"$1"; }
make_file "$tree/Pictures/2019/beach.jpg" 2412345
cp "$tree/Pictures/2019/beach.jpg" "$tree/Pictures/Backup/beach.jpg"
make_file "$tree/Music/Album/01 Overture.flac" 3145678
cp "$tree/Music/Album/01 Overture.flac" "$tree/Music/Old/01 Overture.flac"
make_file "$tree/Documents/report.pdf" 254321
cp "$tree/Documents/report.pdf" "$tree/Documents/Copies/report (1).pdf"
find "$tree" -type f -exec touch -d '2024-05-12 14:03:27' {} +

# "x y w h" of a window, in screen pixels.
geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
        /^ *Width:/ {w = $NF} /^ *Height:/ {h = $NF} END {print x, y, w, h}'
}
# A title as a pattern that matches only itself.
literal() { printf '%s' "$1" | sed 's/[][().*+?^$|\\]/\\&/g'; }
# The visible window whose title matches the pattern $1 whole, waiting up to 10 s.
window_named() {
    local id=""
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -n 1 || true)
        [ -n "$id" ] && break
        sleep 0.1
    done
    echo "$id"
}
gone() {
    for _ in $(seq 50); do
        [ -z "$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true)" ] && return 0
        sleep 0.1
    done
    return 1
}
shot() {
    sleep 0.8
    # 64 colours keep the pictures small (the look is flat); pictures at
    # scale 2 are kept at half size, which still shows their layout.
    local resize=100%
    [ "$scale" = 2 ] && resize=50%
    import -window "$1" png:- | convert - -resize "$resize" +dither -colors 64 \
        "PNG8:$repo/docs/screenshots/$2-${scale}x.png"
}
click() { xdotool mousemove --sync "$1" "$2" click 1; }
# Keys go to the focused window as real key presses; Qt ignores keys sent
# to a window by XSendEvent.
press_key() {
    xdotool windowactivate --sync "$1" >/dev/null 2>&1 || xdotool windowfocus --sync "$1" >/dev/null 2>&1 || true
    xdotool key "$2"
}
# Runs command-bar button $1 (0 Paths ... 9 Support) or link $1 (10 Quick
# Start Wizard, 11 About..., 12 Version history) with the keyboard, as a
# user without a mouse would: a press on Paths released elsewhere gives it
# the focus without running it, then Tab to the control and Enter.
command_key() {
    read -r mx my _ _ < <(geometry "$main")
    local x=$((mx + scale * 30)) y=$((my + scale * 64))
    xdotool mousemove --sync "$x" "$y" mousedown 1
    xdotool mousemove --sync "$x" $((my + scale * 300)) mouseup 1
    for _ in $(seq "$1"); do xdotool key Tab; done
    xdotool key Return
}
# Checks a dialog: inside the screen, centred on the main window; saves its picture.
check_dialog() {
    local title=$1 name=$2 id
    id=$(window_named "$(literal "$title")")
    if [ -z "$id" ]; then
        fail "$title did not open"
        return 1
    fi
    read -r dx dy dw dh < <(geometry "$id")
    read -r mx my mw mh < <(geometry "$main")
    if [ "$dx" -lt 0 ] || [ "$dy" -lt 0 ] || [ $((dx + dw)) -gt "$sw" ] || [ $((dy + dh)) -gt "$sh" ]; then
        fail "$title ${dw}x${dh} at $dx,$dy is not inside the ${sw}x${sh} screen"
    else
        pass "$title lies inside the screen"
    fi
    local ox=$(((dx + dw / 2) - (mx + mw / 2))) oy=$(((dy + dh / 2) - (my + mh / 2)))
    if [ "${ox#-}" -gt $((4 * scale)) ] || [ "${oy#-}" -gt $((4 * scale)) ]; then
        # A dialog pushed back inside the screen cannot be centred.
        if [ "$dx" -eq 0 ] || [ "$dy" -eq 0 ] || [ $((dx + dw)) -eq "$sw" ] || [ $((dy + dh)) -eq "$sh" ]; then
            pass "$title held at the screen's edge"
        else
            fail "$title is off the main window's centre by $ox,$oy"
        fi
    else
        pass "$title centred on the main window"
    fi
    shot "$id" "$name"
    dialog=$id
}
close_dialog() {
    press_key "$dialog" Escape
    # Path(s) to scan reminds of an empty path list in a message box first.
    sleep 0.5
    local box
    box=$(xdotool search --onlyvisible --name '^Quillfen$' 2>/dev/null | tail -n 1 || true)
    [ -n "$box" ] && press_key "$box" Return
    gone "$(literal "$1")" || fail "$1 did not close"
}

run_scale() {
    scale=$1
    if [ "$scale" = 2 ]; then sw=1600 sh=1000; else sw=1280 sh=800; fi
    export DISPLAY=:$((96 + scale))
    Xvfb "$DISPLAY" -screen 0 "${sw}x${sh}x24" -nolisten tcp -noreset >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    openbox >/dev/null 2>&1 &
    pids+=($!)
    sleep 1
    export QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale XDG_RUNTIME_DIR="$work/runtime-$scale"
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"

    # The program from a folder of its own, with its settings.dat: the
    # window at 40,40 and 15000 x 10000 twips, the wizard on, "Do nothing"
    # after the search, nothing skipped.
    local app="$work/app-$scale"
    mkdir -p "$app"
    cp build/src/app/quillfen "$app/quillfen"
    printf '%s\r\n' 15000 10000 0 600 600 False 1 0 1 0 0 0 '' \
        '<skipfolders>' '</skipfolders>' '<skipextensions>' '</skipextensions>' \
        '<prepat>' 'All files|*.*' '</prepat>' >"$app/settings.dat"

    echo "== scale $scale, screen ${sw}x${sh}"
    "$app/quillfen" &
    pids+=($!)
    main=$(window_named 'Quillfen v.*')
    [ -n "$main" ] || { fail "the main window did not open"; return; }
    check_dialog "Quick Start Wizard" wizard && close_dialog "Quick Start Wizard"

    read -r mx my mw mh < <(geometry "$main")
    if [ "$mx" -ge 0 ] && [ "$my" -ge 0 ] && [ $((mx + mw)) -le "$sw" ] && [ $((my + mh)) -le "$sh" ]; then
        pass "main window ${mw}x${mh} at $mx,$my fits the screen"
    else
        fail "main window ${mw}x${mh} at $mx,$my does not fit the ${sw}x${sh} screen"
    fi
    xdotool mousemove "$((sw - 5))" "$((sh - 5))"
    shot "$main" main

    # Edge drags: right edge, then the bottom-right corner. After the
    # release the window stays put however the pointer moves.
    for edge in right corner; do
        read -r mx my mw mh < <(geometry "$main")
        if [ "$edge" = right ]; then px=$((mx + mw - 3)) py=$((my + mh / 2)); else px=$((mx + mw - 3)) py=$((my + mh - 3)); fi
        xdotool mousemove --sync "$px" "$py" mousedown 1
        sleep 0.3
        xdotool mousemove --sync $((px + 40)) $((py + 20))
        sleep 0.3
        xdotool mousemove --sync $((px + 60)) $((py + 30)) mouseup 1
        sleep 0.5
        read -r ax ay aw ah < <(geometry "$main")
        xdotool mousemove --sync $((ax + aw / 2)) $((ay + 200))
        sleep 0.3
        xdotool mousemove --sync $((ax + aw / 3)) $((ay + 260))
        sleep 0.5
        read -r bx by bw bh < <(geometry "$main")
        if [ "$ax,$ay,$aw,$ah" = "$bx,$by,$bw,$bh" ]; then
            pass "after the $edge drag ($mw x $mh to $aw x $ah) the window stays where it is"
        else
            fail "after the $edge drag the window follows the pointer: $ax,$ay ${aw}x$ah then $bx,$by ${bw}x$bh"
        fi
    done

    command_key 0
    check_dialog "Path(s) to scan" scanpaths && close_dialog "Path(s) to scan"
    command_key 3
    check_dialog "Settings" settings && close_dialog "Settings"
    command_key 11
    check_dialog "About this program.." about && close_dialog "About this program.."
    command_key 12
    check_dialog "Version history" history && close_dialog "Version history"
    # Support: with no browser on this desktop xdg-open finds no program for
    # the help page, and the program says so instead of staying silent.
    if ! command -v x-www-browser www-browser firefox chromium lynx w3m >/dev/null; then
        command_key 9
        box=$(window_named Quillfen)
        if [ -n "$box" ]; then
            pass "Support says that no program could open the help page"
            press_key "$box" Return
            gone Quillfen || fail "the message of Support did not close"
        else
            fail "Support gave no word when no program could open the help page"
        fi
    fi
    kill "${pids[-1]}"
    wait "${pids[-1]}" 2>/dev/null || true

    # A scan of the tree: the preview, then the groups and the dialogs on them.
    QUILLFEN_SCREENSHOT_SCAN="$tree" "$app/quillfen" &
    pids+=($!)
    main=$(window_named 'Quillfen v.*')
    # The wizard was left on; it comes first.
    if [ -n "$(window_named 'Quick Start Wizard')" ]; then
        press_key "$(window_named 'Quick Start Wizard')" Escape
        gone "Quick Start Wizard" || true
    fi
    if check_dialog "Settings preview" preview; then
        press_key "$dialog" alt+b
    fi
    # The question after the scan offers the comparison; No keeps the list.
    question=$(window_named Quillfen)
    if [ -n "$question" ]; then
        shot "$question" question
        press_key "$question" Escape
    else
        fail "the scan did not end with its question"
    fi
    sleep 1
    xdotool mousemove "$((sw - 5))" "$((sh - 5))"
    shot "$main" groups
    # The warning notice beside the counters is whole: no line of it runs
    # into the window's bottom edge (text there gives the last rows many
    # colours; the edge alone has a few).
    colours=$(import -window "$main" png:- |
        convert - -gravity South -crop "100000x$((6 * scale))+0+0" +repage -format %k info:)
    if [ "$colours" -le 8 ]; then
        pass "the warning notice ends above the window's bottom edge ($colours colours there)"
    else
        fail "the warning notice runs into the window's bottom edge ($colours colours there)"
    fi

    command_key 4
    check_dialog "Compare files" compare && close_dialog "Compare files"

    command_key 5
    if check_dialog "Select files" select; then
        read -r sx sy _ small < <(geometry "$dialog")
        # "Show advanced settings", under the three keep criteria.
        click $((sx + scale * 80)) $((sy + scale * select_toggle_y))
        sleep 0.8
        read -r _ _ _ tall < <(geometry "$dialog")
        shot "$dialog" select-advanced
        read -r tx ty _ _ < <(geometry "$dialog")
        # It stays where it is, or moves up only as far as the screen needs.
        if [ "$tx" -eq "$sx" ] && [ "$ty" -le "$sy" ] && [ "$ty" -ge 0 ] &&
            { [ "$ty" -eq "$sy" ] || [ $((ty + tall)) -ge $((sh - 2)) ]; }; then
            pass "Select files stays in place when it grows ($sx,$sy to $tx,$ty)"
        else
            fail "Select files moved from $sx,$sy to $tx,$ty when it grew"
        fi
        click $((tx + scale * 80)) $((ty + scale * select_toggle_y))
        sleep 0.8
        read -r _ _ _ again < <(geometry "$dialog")
        if [ "$tall" -gt "$small" ] && [ "$again" -eq "$small" ]; then
            pass "Select files: $small px, $tall px with the rules, $again px again"
        else
            fail "Select files: $small px, $tall px with the rules, $again px after hiding them"
        fi
        close_dialog "Select files"
    fi

    command_key 6
    check_dialog "Delete files" delete && close_dialog "Delete files"
    command_key 7
    check_dialog "Move files" move && close_dialog "Move files"
    command_key 8
    check_dialog "Export Report" export && close_dialog "Export Report"
    kill "${pids[-1]}"
    wait "${pids[-1]}" 2>/dev/null || true
    unset QT_SCALE_FACTOR
}

# Height of "Show advanced settings" below the dialog's top, in pixels at scale 1.
select_toggle_y=${SELECT_TOGGLE_Y:-205}

mkdir -p docs/screenshots
for s in "${scales[@]}"; do
    run_scale "$s"
done
echo "$failures failed checks"
[ "$failures" -eq 0 ]
