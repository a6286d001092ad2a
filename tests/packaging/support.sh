# Helpers shared by the packaging tests (sourced). Each test works in a scratch folder of its
# own, removed at exit, so the tests can run side by side.

scratch=$(mktemp -d "${TMPDIR:-/tmp}/wz-packaging.XXXXXX")
cleanup() {
    for pid in ${game_pid:-} ${editor_pid:-}; do
        kill -KILL "$pid" 2>/dev/null || true
    done
    rm -rf -- "$scratch"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Ends the test with the count of failures.
finish() {
    if [ "$failures" -ne 0 ]; then
        echo "$failures check(s) failed" >&2
        exit 1
    fi
    echo "all checks passed"
}

# on_display COMMAND...: runs the command on a virtual X display of its own (xvfb-run -a, which
# moves on to the next free display when another server takes the one it chose). The server
# never resets: by default it does each time its last client leaves, and a client connecting
# meanwhile is turned away. A command that finds the display takes no client exits with 75 and
# is run again on a new server. On failure, the server's own messages follow.
on_display() {
    attempt=1
    while :; do
        : >"$scratch/xvfb.log"
        xvfb-run -a -e "$scratch/xvfb.log" -s "-screen 0 1024x768x24 -noreset" "$@"
        status=$?
        [ "$status" -ne 0 ] || return 0
        echo "on the virtual display (attempt $attempt) the command ended with $status; Xvfb said:" >&2
        cat "$scratch/xvfb.log" >&2
        [ "$status" -eq 75 ] && [ "$attempt" -lt 3 ] || return "$status"
        attempt=$((attempt + 1))
    done
}

# display_takes_clients: ends the test with 75 (on_display then starts a new server) unless a
# client connects to $DISPLAY.
display_takes_clients() {
    if ! xdotool getdisplaygeometry >/dev/null 2>"$scratch/display.log"; then
        echo "no client connects to display ${DISPLAY:-}: $(cat "$scratch/display.log")" >&2
        exit 75
    fi
}

# install_build BUILD PREFIX: cmake --install of the build into PREFIX; ends the test when it
# fails.
install_build() {
    if ! cmake --install "$1" --prefix "$2" >"$scratch/install.log" 2>&1; then
        cat "$scratch/install.log" >&2
        fail "cmake --install failed"
        finish
    fi
}

# make_deb BUILD VERSION [FOLDER]: the Debian package of the build, made by cpack in FOLDER (by
# default the scratch folder); prints its path. Fails, with the reason on stderr, when cpack
# fails or names the package otherwise; run it as deb=$(make_deb ...) || exit 1.
make_deb() {
    out=${3:-$scratch/out}
    if ! cpack -G DEB --config "$1/CPackConfig.cmake" -B "$out" >"$scratch/cpack.log" 2>&1; then
        cat "$scratch/cpack.log" >&2
        fail "cpack failed"
        finish
    fi
    made="$out/winzolvik_${2}_$(dpkg --print-architecture).deb"
    if [ ! -f "$made" ]; then
        fail "no $made; cpack made: $(ls "$out")"
        finish
    fi
    echo "$made"
}

# the_deb BUILD VERSION: for the tests that only read the package, the one made once into
# $WZ_DEB_FOLDER (by make_deb.sh, run first by CTest), or without that folder one made now.
the_deb() {
    if [ -z "${WZ_DEB_FOLDER:-}" ]; then
        make_deb "$1" "$2"
        return
    fi
    made="$WZ_DEB_FOLDER/winzolvik_${2}_$(dpkg --print-architecture).deb"
    if [ ! -f "$made" ]; then
        fail "no $made (make_deb.sh makes it)"
        finish
    fi
    echo "$made"
}

# stop_process PID: asks the process to end (SIGTERM) and waits for it; after three seconds it
# is killed. (The game's audio layer catches SIGTERM for an event queue nobody reads, so
# SIGTERM alone may not end it.)
stop_process() {
    kill -TERM "$1" 2>/dev/null || true
    tries=0
    while kill -0 "$1" 2>/dev/null && [ "$tries" -lt 30 ]; do
        tries=$((tries + 1))
        sleep 0.1
    done
    kill -KILL "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}

# Width and height of a PNG file, from its header.
png_size() {
    od -An -tu1 -j16 -N8 "$1" | awk '{ print $1*16777216 + $2*65536 + $3*256 + $4 "x" $5*16777216 + $6*65536 + $7*256 + $8 }'
}

# The environment of a player's session, all inside the scratch folder: the game's folder,
# its temporary files, no display and no sound card needed.
player_env() {
    export HOME="$scratch/home"
    export XDG_DATA_HOME="$scratch/home/data"
    export TMPDIR="$scratch/tmp"
    export QT_QPA_PLATFORM=offscreen
    export SDL_AUDIODRIVER=dummy
    mkdir -p "$HOME" "$XDG_DATA_HOME" "$TMPDIR"
}

# start_game LAUNCHER FOLDER [ARGUMENT...]: starts the game through its launcher and waits
# until it has written its settings file into FOLDER, which it does once the asset file is
# loaded and the window is about to show. Then closes it; the files it held open just before
# are left in game_open_files, one a line. Fails when the game ends early or takes longer than
# a minute.
start_game() {
    launcher=$1
    folder=$2
    shift 2
    "$launcher" "$@" >"$scratch/game.log" 2>&1 &
    game_pid=$!
    tries=0
    while [ ! -f "$folder/WinZolvik.cfg" ]; do
        if ! kill -0 "$game_pid" 2>/dev/null; then
            wait "$game_pid" || true
            game_pid=
            fail "the game ended before it was up; its output:"
            cat "$scratch/game.log" >&2
            return 1
        fi
        tries=$((tries + 1))
        if [ "$tries" -gt 600 ]; then
            fail "the game was not up after a minute"
            return 1
        fi
        sleep 0.1
    done
    # The settings file is written in one piece; give the first paint a moment, then close.
    sleep 1
    if ! kill -0 "$game_pid" 2>/dev/null; then
        fail "the game ended right after its start; its output:"
        cat "$scratch/game.log" >&2
    fi
    game_open_files=$(for fd in /proc/"$game_pid"/fd/*; do readlink "$fd"; done 2>/dev/null)
    stop_process "$game_pid"
    game_pid=
}

# start_editor LAUNCHER [FILE]: starts the editor through its launcher and prints the folder it
# works in once it is up. Returns 1, with the editor's output on stderr, when it is not up
# within a minute or closes at once (as it does when it cannot use the asset file there).
# Run it in $(...), so the caller counts the failure.
start_editor() {
    launcher=$1
    shift
    "$launcher" "$@" >"$scratch/editor.log" 2>&1 &
    editor_pid=$!
    tries=0
    while ! readlink "/proc/$editor_pid/exe" 2>/dev/null | grep -q '/lib/winzolvik/WZolvikCreator$'; do
        tries=$((tries + 1))
        if ! kill -0 "$editor_pid" 2>/dev/null || [ "$tries" -gt 600 ]; then
            echo "the editor did not start; its output:" >&2
            cat "$scratch/editor.log" >&2
            kill -KILL "$editor_pid" 2>/dev/null
            wait "$editor_pid" 2>/dev/null
            return 1
        fi
        sleep 0.1
    done
    # Up and past its check of the asset file when still there a little later.
    sleep 3
    cwd=$(readlink "/proc/$editor_pid/cwd")
    if ! kill -0 "$editor_pid" 2>/dev/null; then
        echo "the editor closed at its start; its output:" >&2
        cat "$scratch/editor.log" >&2
        wait "$editor_pid" 2>/dev/null
        return 1
    fi
    stop_process "$editor_pid"
    echo "$cwd"
}

# first_start LAUNCHER DEFAULT_ASSETS: the first start of the game through its launcher, in a
# fresh player's folder: the default asset file is copied there whole, and the game writes
# its 358-byte settings file beside it.
first_start() {
    folder="$XDG_DATA_HOME/winzolvik"
    start_game "$1" "$folder" || return 1
    cmp -s "$2" "$folder/WinData.stg" || fail "the first start did not copy the default asset file"
    size=$(wc -c <"$folder/WinZolvik.cfg")
    [ "$size" -eq 358 ] || fail "WinZolvik.cfg has $size bytes"
    leftovers=$(find "$folder" -name '.WinData.stg.*')
    [ -z "$leftovers" ] || fail "the copy left $leftovers behind"
}
