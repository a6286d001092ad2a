#!/bin/sh
# The Debian package: cpack makes it from the build, its control data names the package, its
# version and the runtime packages it needs, its files all lie under /usr, and unpacked into
# a scratch folder (as a user would, without installing) the game starts through its launcher.
#   deb_test.sh BUILD_DIR VERSION
set -u
build=$1
version=$2
. "$(dirname -- "$0")/support.sh"

deb=$(the_deb "$build" "$version") || exit 1
arch=$(dpkg --print-architecture)

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = winzolvik ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)'"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is '$(field Architecture)'"
[ "$(field Section)" = games ] || fail "Section is '$(field Section)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
description=$(field Description)
case $description in
    "falling-block puzzle game"*WZolvikCreator*) ;;
    *) fail "Description is '$description'" ;;
esac
# Every package name of Depends, without versions or alternatives.
field Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//' >"$scratch/depends"
duplicates=$(sort "$scratch/depends" | uniq -d)
[ -z "$duplicates" ] || fail "Depends names $duplicates twice"
for package in libqt6widgets6 libqt6gui6 libqt6core6 qt6-qpa-plugins libturbojpeg0 libvips42 \
    libsdl2-mixer-2.0-0 libfluidsynth3 timgm6mb-soundfont; do
    grep -qx "$package" "$scratch/depends" || fail "Depends lacks $package: $(field Depends)"
done

# Contents: all under /usr, owned by root, with the programs executable.
dpkg-deb -c "$deb" >"$scratch/contents"
awk '$6 !~ /^\.\/usr(\/|$)/ && $6 != "./" { print }' "$scratch/contents" >"$scratch/outside"
[ ! -s "$scratch/outside" ] || fail "files outside /usr: $(cat "$scratch/outside")"
awk '$2 != "root/root" { print }' "$scratch/contents" >"$scratch/owners"
[ ! -s "$scratch/owners" ] || fail "files not owned by root: $(cat "$scratch/owners")"
for program in ./usr/games/winzolvik ./usr/lib/winzolvik/WinZolvik ./usr/lib/winzolvik/WZolvikCreator; do
    grep -q "^-rwxr-xr-x .* $program\$" "$scratch/contents" || fail "$program is missing or not executable"
done

# Unpacked anywhere, the launcher finds its programs and data beside it.
dpkg-deb -x "$deb" "$scratch/root"
player_env
first_start "$scratch/root/usr/games/winzolvik" "$scratch/root/usr/share/winzolvik/WinData.stg"

# The same on a real display, where the programs can be used as a player does.
if command -v xvfb-run >/dev/null 2>&1 && command -v xdotool >/dev/null 2>&1; then
    on_display sh "$(dirname -- "$0")/desktop_session.sh" "$scratch/root" ||
        fail "the desktop session on the unpacked package"
else
    echo "skipped the desktop session: xvfb-run and xdotool are needed"
fi

finish
