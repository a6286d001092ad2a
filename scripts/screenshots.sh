#!/usr/bin/env bash
# Takes the screenshots of the user guides from the built game and editor, on a virtual X
# display (Xvfb), and writes them into docs/images/:
#   game-title.png    the title screen
#   game-scores.png   the title screen with the high-score table scrolling over it
#   game-play.png     a game in play, a few pieces down
#   game-pack.png     a pack from another folder, started at level 7 (--level 7 PACK)
#   game-speed.png, game-control-keys.png, game-about.png, game-high-score.png
#                     the game's dialogs: the speed chooser, Control Keys, About and the
#                     high-score name entry at the end of a game
#   editor.png        the editor on its picture slots
#   editor-music.png  the editor on its music slots
#   editor-about.png  the editor's About box
#   editor-preview-picture.png  the editor with its preview pane on a picture slot
#   editor-preview-track.png    the editor with its preview pane on a music slot
#   editor-view-menu.png  the editor's View menu open, with Zolvik and Try in Game
#   editor-warning.png  the editor with a picture of the wrong size dropped on slot 3 (taken by
#                     the test helper editor_warning_shot, built with the tests)
#   editor-fit-frame.png  the preview pane framing a landscape photo for the game picture
#   editor-fit-all.png    the tree after Fit All Pictures (both taken by the test helper
#                     editor_fit_shot, built with the tests)
#
#   scripts/screenshots.sh [BUILD_DIR]     (default: build, as ./play.sh makes it)
#
# The programs run in a scratch folder on the build's default asset file, with no sound
# device; keys are sent with xdotool and windows captured with ImageMagick's import.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [ "${1:-}" != "--inside-xvfb" ]; then
    build=$(cd "${1:-$root/build}" && pwd)
    for needed in bin/WinZolvik bin/WZolvikCreator WinData.stg; do
        if [ ! -e "$build/$needed" ]; then
            echo "screenshots.sh: $build/$needed is missing; build first (./play.sh or cmake --build build)" >&2
            exit 1
        fi
    done
    for tool in xvfb-run xdotool import convert; do
        command -v "$tool" >/dev/null || { echo "screenshots.sh: $tool is needed (scripts/install-deps.sh --tests)" >&2; exit 1; }
    done
    # -noreset: by default the server resets each time its last client leaves, and a program
    # connecting meanwhile is turned away.
    exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "$0" --inside-xvfb "$build"
fi

build=$2
out="$root/docs/images"
mkdir -p "$out"
scratch=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

export SDL_AUDIODRIVER=dummy
export TMPDIR="$scratch"
export HOME="$scratch"
unset QT_QPA_PLATFORM

# The visible top-level window of a process, or its window with this caption, waited for.
window_of() {
    local pid=$1 caption=${2:-} id=""
    local search=(xdotool search --onlyvisible --pid "$pid")
    [ -n "$caption" ] && search=(xdotool search --all --onlyvisible --pid "$pid" --name "^$caption\$")
    for _ in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || break
        id=$("${search[@]}" 2>/dev/null | tail -1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.2
    done
    echo "screenshots.sh: no window ${caption:+\"$caption\" }of process $pid" >&2
    return 1
}

# Keys typed into a window as the keyboard types them (a modal dialog does not always take keys
# sent to its window directly).
keys() {
    local window=$1
    shift
    xdotool windowfocus --sync "$window"
    for key in "$@"; do
        xdotool key --delay 80 "$key"
        sleep 0.15
    done
}

# Opens a modal dialog with keys on a window of the process, takes its picture and closes it
# with Escape.
dialog_shot() {
    local pid=$1 window=$2 caption=$3 file=$4 dialog
    shift 4
    # A menu takes a moment to open before its item's key can reach it.
    for key in "$@"; do
        keys "$window" "$key"
        sleep 0.5
    done
    dialog=$(window_of "$pid" "$caption")
    sleep 0.5
    shot "$dialog" "$file"
    keys "$dialog" Escape
    sleep 0.3
}

# The screen over a window's place: what shows there, its menus included.
screen_shot() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$1")"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" png:- | convert png:- +repage -strip "$out/$2"
    echo "wrote docs/images/$2"
}

shot() {
    # Drop ImageMagick's time stamps so that an unchanged picture gives an unchanged file.
    import -window "$1" png:- | convert png:- -strip "$out/$2"
    echo "wrote docs/images/$2"
}

# A settings file with a few high scores, so that the table has something to show: the five
# default keys, 15 scores (32-bit, little-endian), Music and Sound on, and 15 display lines of
# 18 characters and a NUL: the name, dots, and the score ending in the 16th place. The blank
# places hold -1, so that a game ended without a full row still earns one and asks for a name.
le32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $((($1 >> 8) & 255)) $((($1 >> 16) & 255)) $((($1 >> 24) & 255)); }
write_settings() {
    local entries=("ANNA 14200" "OLEG 11800" "MARIA 9300" "IVAN 7100" "SVETA 5400" "PETR 3900" "ZOYA 2100")
    local scores="" lines="" name score body i
    for ((i = 0; i < 15; i++)); do
        if ((i < ${#entries[@]})); then
            name=${entries[i]% *}
            score=${entries[i]#* }
            body=$name
            while ((${#body} + ${#score} < 14)); do body+=.; done
            body+=$score
        else
            score=-1
            body="              "
        fi
        scores+=$(le32 "$score")
        lines+="  $body  \\x00"
    done
    # shellcheck disable=SC2059 # the format is built of escapes only
    printf "\\x26\\x28\\x25\\x27\\x20${scores}$(le32 1)$(le32 1)${lines}" >"$1"
}

# The game.
mkdir -p "$scratch/game"
cp "$build/WinData.stg" "$scratch/game/"
write_settings "$scratch/game/WinZolvik.cfg"
[ "$(wc -c <"$scratch/game/WinZolvik.cfg")" -eq 358 ] || { echo "screenshots.sh: bad settings file" >&2; exit 1; }
(cd "$scratch/game" && exec "$build/bin/WinZolvik") &
pids+=($!)
game=$(window_of "${pids[-1]}")
sleep 3
shot "$game" game-title.png

# The credits start scrolling after 25 seconds at 20 pixels a second; about 45 seconds later
# the high-score table is in the lower half of the picture, below the title.
sleep 66
shot "$game" game-scores.png

# A game: a few pieces moved and dropped, then one on its way down.
keys "$game" space
sleep 1
for moves in "Left Left Left Left" "Right Right Right Right" "Left" "Right Right" "space Left Left Left Left Left" "space Right Right Right Right Right"; do
    # shellcheck disable=SC2086 # the moves are separate keys
    keys "$game" $moves Down
    sleep 0.4
done
keys "$game" space Up Up Up
sleep 0.5
shot "$game" game-play.png

# The dialogs: the speed chooser by its key (which pauses the game), Control Keys and About
# from the menus.
dialog_shot "${pids[-1]}" "$game" "Choose speed for play" game-speed.png l
dialog_shot "${pids[-1]}" "$game" "Control Keys" game-control-keys.png alt+o c
dialog_shot "${pids[-1]}" "$game" "About WinZolvik" game-about.png alt+h a

# The game played on to its end: every piece dropped at once until the well is full; the
# confirming key then asks for the player's name.
keys "$game" p
for _ in $(seq 40); do
    xdotool key Down
    sleep 0.1
done
keys "$game" space
highscore=$(window_of "${pids[-1]}" "High Score")
sleep 0.3
keys "$highscore" a n n a
sleep 0.3
shot "$highscore" game-high-score.png
keys "$highscore" Return
sleep 0.3

# Closed from its menu, Game, Exit Game, as a player would.
keys "$game" alt+g
xdotool key --window "$game" x 2>/dev/null || true

# A pack played from another folder, started at level 7: its picture, 6000 points, and a few
# pieces down. The player's own folder and settings stay those of the game above.
mkdir -p "$scratch/packs"
cp "$build/WinData.stg" "$scratch/packs/Spring.stg"
(cd "$scratch/game" && exec "$build/bin/WinZolvik" --level 7 ../packs/Spring.stg) &
pids+=($!)
pack=$(window_of "${pids[-1]}")
sleep 2
for moves in "Left Left Left Left Left" "Right Right Right Right" "space Left Left" "space space Right Right Right Right Right"; do
    # shellcheck disable=SC2086 # the moves are separate keys
    keys "$pack" $moves Down
    sleep 0.4
done
keys "$pack" Up Up Up Up
sleep 0.5
shot "$pack" game-pack.png
keys "$pack" alt+g
xdotool key --window "$pack" x 2>/dev/null || true

# The editor, on a copy of its own.
mkdir -p "$scratch/editor"
cp "$build/WinData.stg" "$scratch/editor/"
(cd "$scratch/editor" && exec "$build/bin/WZolvikCreator") &
pids+=($!)
editor=$(window_of "${pids[-1]}")
sleep 2
keys "$editor" F2
sleep 0.5
shot "$editor" editor.png
keys "$editor" F3
sleep 0.5
shot "$editor" editor-music.png
dialog_shot "${pids[-1]}" "$editor" "About WZolvikCreator" editor-about.png alt+h a

# The preview pane, from the View menu (View, Preview), on the picture of level 3 and then on
# the title music.
keys "$editor" F2 Down Down alt+v v
sleep 1
shot "$editor" editor-preview-picture.png
keys "$editor" F3 End
sleep 1
shot "$editor" editor-preview-track.png

# The View menu open, with Zolvik and Try in Game. The menu is a window of its own over the
# editor's, so the screen is taken where the editor is.
keys "$editor" F2 alt+v
sleep 0.7
screen_shot "$editor" editor-view-menu.png
keys "$editor" Escape


# The editor warning of a dropped picture of the wrong size. A drop from a file manager cannot
# be sent with xdotool, so a helper starts the editor in-process, drops the files on it as the
# toolkit does, and captures the window on the same display.
# The tree shows the files' paths, so they live in a folder of a fixed name: an unchanged
# picture then gives an unchanged file.
if [ -x "$build/bin/editor_warning_shot" ]; then
    warning=/tmp/winzolvik-screenshots-$(id -u)
    rm -rf "$warning"
    mkdir -p "$warning"
    cp "$build/WinData.stg" "$warning/"
    # A sanitizer build reports what system libraries keep until exit; that is no failure here.
    # A home of its own: the editor above may have remembered its preview pane as shown by
    # now, or not yet, and the shot is of the editor as it first starts.
    mkdir -p "$scratch/warning-home"
    HOME="$scratch/warning-home" \
        LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0" \
        "$build/bin/editor_warning_shot" "$warning" "$scratch/warning.png"
    rm -rf "$warning"
    convert "$scratch/warning.png" -strip "$out/editor-warning.png"
    echo "wrote docs/images/editor-warning.png"
else
    echo "screenshots.sh: $build/bin/editor_warning_shot is missing (built with the tests); editor-warning.png not taken" >&2
fi
# Fitting, in a folder of a fixed name for the same reason.
if [ -x "$build/bin/editor_fit_shot" ]; then
    fitting=/tmp/winzolvik-screenshots-$(id -u)
    rm -rf "$fitting"
    mkdir -p "$fitting"
    cp "$build/WinData.stg" "$fitting/"
    LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0" \
        "$build/bin/editor_fit_shot" "$fitting" "$scratch/fit-frame.png" "$scratch/fit-all.png"
    rm -rf "$fitting"
    for shot in fit-frame fit-all; do
        convert "$scratch/$shot.png" -strip "$out/editor-$shot.png"
        echo "wrote docs/images/editor-$shot.png"
    done
else
    echo "screenshots.sh: $build/bin/editor_fit_shot is missing (built with the tests); editor-fit-*.png not taken" >&2
fi
