#!/bin/sh
# Starts WZolvikCreator. The editor always works on "WinData.stg" in its current folder: given
# a file (a double-click on an asset file) it starts in that file's folder, otherwise in the
# player's own folder, the one the game plays from.
set -e
self=$(readlink -f -- "$0")
prefix=$(dirname -- "$(dirname -- "$self")")
if [ $# -gt 0 ] && [ -n "$1" ]; then
    if [ ! -e "$1" ]; then
        echo "wzolvikcreator: no such file: $1" >&2
        exit 1
    fi
    file=$(readlink -f -- "$1")
    cd "$(dirname -- "$file")"
    exec "$prefix/lib/winzolvik/WZolvikCreator" "$file"
fi
# shellcheck source=user-folder.sh
. "$prefix/share/winzolvik/user-folder.sh"
folder=$(winzolvik_prepare_folder "$prefix")
cd "$folder"
exec "$prefix/lib/winzolvik/WZolvikCreator"
