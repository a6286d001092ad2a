# Shared by the launchers of the game and the editor (sourced, not run).
#
# winzolvik_prepare_folder PREFIX: makes the player's own folder and prints its path. The
# folder is $XDG_DATA_HOME/winzolvik, or ~/.local/share/winzolvik when XDG_DATA_HOME is unset
# or not an absolute path. When the folder holds no "WinData.stg" yet, the default one
# from PREFIX/share/winzolvik is copied in. The copy goes to a temporary name first and is
# renamed when complete, so an interrupted first start never leaves a cut-off asset file that
# later starts would keep.
winzolvik_prepare_folder() {
    case ${XDG_DATA_HOME:-} in
        /*) folder="$XDG_DATA_HOME/winzolvik" ;;
        *) folder="${HOME:?HOME is not set}/.local/share/winzolvik" ;;
    esac
    if ! mkdir -p -- "$folder"; then
        echo "winzolvik: cannot make the folder $folder" >&2
        return 1
    fi
    if [ -e "$folder/WinData.stg" ]; then
        echo "$folder"
        return 0
    fi
    default_assets="$1/share/winzolvik/WinData.stg"
    if [ ! -f "$default_assets" ]; then
        echo "winzolvik: the default asset file $default_assets is missing; reinstall the package" >&2
        return 1
    fi
    partial="$folder/.WinData.stg.$$"
    if ! cp -- "$default_assets" "$partial" || ! chmod u+w -- "$partial" ||
        ! mv -f -- "$partial" "$folder/WinData.stg"; then
        rm -f -- "$partial"
        echo "winzolvik: cannot copy the default asset file into $folder" >&2
        return 1
    fi
    echo "$folder"
}

# winzolvik_run_game BASE FOLDER PROGRAM [ARGUMENT...]: runs the game PROGRAM in FOLDER, where
# its settings live, with the arguments given. A pack among them that is named relative to
# BASE, the folder the player started from, is handed on as the same file seen from anywhere;
# options and the level after --level go on unchanged. The pack is only read by the game: it
# never takes the place of the asset file in FOLDER.
winzolvik_run_game() {
    base=$1
    run_folder=$2
    program=$3
    shift 3
    count=$#
    level_next=false
    options_ended=false
    while [ "$count" -gt 0 ]; do
        argument=$1
        shift
        count=$((count - 1))
        if $level_next; then
            level_next=false
        elif ! $options_ended && [ "$argument" = "--" ]; then
            options_ended=true
        elif ! $options_ended && [ "$argument" = "--level" ]; then
            level_next=true
        elif ! $options_ended && [ "${argument#-?}" != "$argument" ]; then
            : # another option: the game judges it
        else
            case $argument in
                /* | '') ;;
                *) argument="$base/$argument" ;;
            esac
        fi
        set -- "$@" "$argument"
    done
    cd "$run_folder" || return 1
    exec "$program" "$@"
}
