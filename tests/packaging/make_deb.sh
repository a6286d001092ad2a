#!/bin/sh
# Makes the build's Debian package once into a folder, for the packaging tests that only read
# it (they find it through WZ_DEB_FOLDER).
#   make_deb.sh BUILD_DIR VERSION FOLDER
set -u
. "$(dirname -- "$0")/support.sh"
rm -rf -- "$3"
deb=$(make_deb "$1" "$2" "$3") || exit 1
echo "made $deb"
finish
