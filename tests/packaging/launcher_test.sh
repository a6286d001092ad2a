#!/bin/sh
# The launchers of an installed game and editor: the player's own folder, the first copy of
# the default asset file, an asset file the player already has, and the editor's start in the
# folder of a file it is given.
#   launcher_test.sh BUILD_DIR
set -u
build=$1
. "$(dirname -- "$0")/support.sh"

prefix="$scratch/prefix"
install_build "$build" "$prefix"
player_env
folder="$XDG_DATA_HOME/winzolvik"

# First start: the folder is made, the default asset file copied in, the settings written.
first_start "$prefix/games/winzolvik" "$prefix/share/winzolvik/WinData.stg"

# A later start keeps the asset file there: the player may have edited it.
before=$(ls -i "$folder/WinData.stg")
rm "$folder/WinZolvik.cfg"
if start_game "$prefix/games/winzolvik" "$folder"; then
    [ "$(ls -i "$folder/WinData.stg")" = "$before" ] || fail "a later start replaced the asset file"
fi

# A pack named relative to the folder the player starts from is played where it lies: the game
# holds the pack open, not the player's asset file, which stays as it was; the settings are
# still written in the player's folder.
mkdir -p "$scratch/packs/spring"
cp "$prefix/share/winzolvik/WinData.stg" "$scratch/packs/spring/Spring.stg"
rm "$folder/WinZolvik.cfg"
cd "$scratch/packs"
if start_game "$prefix/games/winzolvik" "$folder" --level 7 spring/Spring.stg; then
    echo "$game_open_files" | grep -qx "$scratch/packs/spring/Spring.stg" ||
        fail "the game did not hold the pack; it held: $game_open_files"
    if echo "$game_open_files" | grep -qx "$folder/WinData.stg"; then
        fail "the game given a pack held the player's asset file"
    fi
    [ "$(ls -i "$folder/WinData.stg")" = "$before" ] || fail "a pack replaced the player's asset file"
    cmp -s "$prefix/share/winzolvik/WinData.stg" "$folder/WinData.stg" ||
        fail "a pack changed the player's asset file"
    cmp -s "$prefix/share/winzolvik/WinData.stg" "$scratch/packs/spring/Spring.stg" ||
        fail "the game wrote into the pack"
    [ "$(ls "$scratch/packs/spring")" = "Spring.stg" ] || fail "files were made beside the pack"
fi
cd "$scratch"
# Bad arguments pass through the launcher to the game, which refuses each with status 2 and one
# line naming it, before it looks for a display (without one it would end with status 1).
for bad in "--level 0" "--level x" "one.stg two.stg" "--fullscreen"; do
    # shellcheck disable=SC2086 # the arguments are separate words
    env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY "$prefix/games/winzolvik" $bad \
        >"$scratch/out" 2>"$scratch/err"
    status=$?
    [ "$status" -eq 2 ] || fail "'$bad' through the launcher ended with $status"
    [ "$(wc -l <"$scratch/err")" -eq 1 ] && grep -q "^WinZolvik: .*${bad##* }\"" "$scratch/err" ||
        fail "'$bad' gave no one line naming it: $(cat "$scratch/err")"
done
"$prefix/games/winzolvik" --help | grep -qx 'Usage: WinZolvik \[--level N\] \[PACK\]' ||
    fail "--help does not give the usage"

# The editor without a file works in the player's folder; with one, in that file's folder.
if cwd=$(start_editor "$prefix/games/wzolvikcreator"); then
    [ "$cwd" = "$folder" ] || fail "the editor started in '$cwd', not the player's folder"
else
    fail "the editor did not come up without a file"
fi
mkdir -p "$scratch/my skin"
cp "$prefix/share/winzolvik/WinData.stg" "$scratch/my skin/WinData.stg"
if cwd=$(start_editor "$prefix/games/wzolvikcreator" "$scratch/my skin/WinData.stg"); then
    [ "$cwd" = "$scratch/my skin" ] || fail "the editor given a file started in '$cwd'"
else
    fail "the editor did not come up on a file"
fi
if "$prefix/games/wzolvikcreator" "$scratch/nowhere/WinData.stg" >"$scratch/out" 2>&1; then
    fail "the editor's launcher accepted a missing file"
fi
grep -q "no such file" "$scratch/out" || fail "no message for a missing file: $(cat "$scratch/out")"

# The folder rules of the launchers' shared part, one by one.
# shellcheck source=../../dist/user-folder.sh
. "$prefix/share/winzolvik/user-folder.sh"
got=$(XDG_DATA_HOME=relative/path winzolvik_prepare_folder "$prefix")
[ "$got" = "$HOME/.local/share/winzolvik" ] || fail "a relative XDG_DATA_HOME gave '$got'"
[ -f "$HOME/.local/share/winzolvik/WinData.stg" ] || fail "no asset file in ~/.local/share/winzolvik"
got=$(unset XDG_DATA_HOME; winzolvik_prepare_folder "$prefix")
[ "$got" = "$HOME/.local/share/winzolvik" ] || fail "no XDG_DATA_HOME gave '$got'"

# A package without its default asset file: a clear message, and nothing half made.
mkdir -p "$scratch/broken/share/winzolvik"
if got=$(XDG_DATA_HOME="$scratch/fresh" winzolvik_prepare_folder "$scratch/broken" 2>"$scratch/err"); then
    fail "a missing default asset file was not reported"
fi
grep -q "default asset file .* is missing" "$scratch/err" || fail "unclear message: $(cat "$scratch/err")"
[ -z "$(ls -A "$scratch/fresh/winzolvik")" ] || fail "a failed first copy left files behind"

finish
