#!/usr/bin/env bash
# Writes and reads compound files with the SheetJS "cfb" package from npm, a writer and reader
# that nobody here wrote. The tests use it to read files of another writer, and to see that
# files we rewrite read back there.
#
#   scripts/sheetjs-cfb.sh write OUT DIR   every file under DIR becomes a stream of OUT, at its
#                                          path below DIR without the file name's extension
#                                          (DIR/Images/Love3.jpg -> Images/Love3)
#   scripts/sheetjs-cfb.sh read FILE DIR   every stream of FILE into a file below DIR
#   scripts/sheetjs-cfb.sh fixtures [DIR]  writes the committed fixtures (tests/data/sheetjs)
#
# The package is installed once, at the version pinned here, into $WZ_SHEETJS_DIR (by default
# a folder in the user's cache); only the fixtures it writes are part of the project.
set -euo pipefail
version=1.2.2
root=$(cd "$(dirname "$0")/.." && pwd)
prefix=${WZ_SHEETJS_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/winzolvik/sheetjs-cfb-$version}

mkdir -p "$prefix"
# Tests run side by side: one installs, the others wait for it.
(
    flock 9
    installed=$(node -p "require('$prefix/node_modules/cfb/package.json').version" 2>/dev/null ||
                true)
    if [ "$installed" != "$version" ]; then
        npm install --prefix "$prefix" --no-audit --no-fund --no-save --silent \
            "cfb@$version" >/dev/null
    fi
) 9>"$prefix/.lock"

if [ "${1:-}" = fixtures ]; then
    set -- fixtures "${2:-$root/tests/data/sheetjs}"
fi
NODE_PATH="$prefix/node_modules" exec node "$root/scripts/sheetjs-cfb.js" "$@"
