#!/bin/sh
# Starts WinZolvik in the player's own folder, where it keeps "WinData.stg" and
# "WinZolvik.cfg": $XDG_DATA_HOME/winzolvik, else ~/.local/share/winzolvik. The default asset
# file is copied there on the first start; a file already there (perhaps edited) is kept.
set -e
self=$(readlink -f -- "$0")
prefix=$(dirname -- "$(dirname -- "$self")")
# shellcheck source=user-folder.sh
. "$prefix/share/winzolvik/user-folder.sh"
folder=$(winzolvik_prepare_folder "$prefix")
cd "$folder"
exec "$prefix/lib/winzolvik/WinZolvik" "$@"
