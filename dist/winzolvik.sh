#!/bin/sh
# Starts WinZolvik in the player's own folder, where it keeps "WinData.stg" and
# "WinZolvik.cfg": $XDG_DATA_HOME/winzolvik, else ~/.local/share/winzolvik. The default asset
# file is copied there on the first start; a file already there (perhaps edited) is kept.
#   winzolvik [--level N] [PACK]
# A pack (a double-click on an asset file) is played where it lies, in place of the player's
# asset file, which it never replaces; the settings stay the player's.
set -e
self=$(readlink -f -- "$0")
prefix=$(dirname -- "$(dirname -- "$self")")
# shellcheck source=user-folder.sh
. "$prefix/share/winzolvik/user-folder.sh"
folder=$(winzolvik_prepare_folder "$prefix")
winzolvik_run_game "$(pwd)" "$folder" "$prefix/lib/winzolvik/WinZolvik" "$@"
