#!/bin/sh
# A desktop session on an unpacked package, on a real X display (run by on_display): the game
# started through its launcher and closed from its own menu (Game, Exit Game) ends cleanly and
# takes its temporary files with it; the editor started through its launcher finds the
# packaged game beside itself and starts it with F5.
#   desktop_session.sh ROOT       (ROOT: where the package was unpacked)
set -u
root=$1
. "$(dirname -- "$0")/support.sh"

display_takes_clients
player_env
unset QT_QPA_PLATFORM
# Whether the whole game frees its memory is for its own tests; here only the exit counts.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
folder="$XDG_DATA_HOME/winzolvik"
game_program="$root/usr/lib/winzolvik/WinZolvik"

# window_of PID: the visible window of the process, waited for up to a minute or until the
# process ends.
window_of() {
    tries=0
    while [ "$tries" -lt 300 ] && kill -0 "$1" 2>/dev/null; do
        window=$(xdotool search --onlyvisible --pid "$1" 2>/dev/null | tail -n 1)
        if [ -n "$window" ]; then
            echo "$window"
            return 0
        fi
        tries=$((tries + 1))
        sleep 0.2
    done
    return 1
}

# The game, closed from its menu.
"$root/usr/games/winzolvik" >"$scratch/game.log" 2>&1 &
game_pid=$!
if window=$(window_of "$game_pid"); then
    sleep 1
    xdotool windowfocus --sync "$window" key --window "$window" alt+g
    sleep 1
    xdotool key --window "$window" x 2>/dev/null
    tries=0
    while kill -0 "$game_pid" 2>/dev/null && [ "$tries" -lt 200 ]; do
        tries=$((tries + 1))
        sleep 0.1
    done
    if kill -0 "$game_pid" 2>/dev/null; then
        fail "Game, Exit Game did not end the game"
        stop_process "$game_pid"
    else
        wait "$game_pid"
        status=$?
        [ "$status" -eq 0 ] || { fail "the game ended with $status:"; cat "$scratch/game.log" >&2; }
        leftovers=$(find "$TMPDIR" -maxdepth 1 -type f -name 'tmp*')
        [ -z "$leftovers" ] || fail "the game left temporary files: $leftovers"
    fi
    [ "$(wc -c <"$folder/WinZolvik.cfg")" -eq 358 ] || fail "no 358-byte WinZolvik.cfg after the game"
else
    fail "the game showed no window; its output:"
    cat "$scratch/game.log" >&2
    stop_process "$game_pid"
fi
game_pid=

# The editor starts the game beside itself.
"$root/usr/games/wzolvikcreator" >"$scratch/editor.log" 2>&1 &
editor_pid=$!
if window=$(window_of "$editor_pid"); then
    sleep 1
    xdotool windowfocus --sync "$window" key --window "$window" F5
    started=
    tries=0
    while [ -z "$started" ] && [ "$tries" -lt 300 ]; do
        for exe in /proc/[0-9]*/exe; do
            if [ "$(readlink "$exe" 2>/dev/null)" = "$game_program" ]; then
                started=${exe#/proc/}
                started=${started%/exe}
            fi
        done
        tries=$((tries + 1))
        sleep 0.2
    done
    if [ -n "$started" ]; then
        [ "$(readlink "/proc/$started/cwd")" = "$folder" ] || fail "F5 started the game outside the player's folder"
        kill -KILL "$started" 2>/dev/null
    else
        fail "F5 in the editor did not start the packaged game; the editor's output:"
        cat "$scratch/editor.log" >&2
    fi
else
    fail "the editor showed no window; its output:"
    cat "$scratch/editor.log" >&2
fi
stop_process "$editor_pid"
editor_pid=

finish
