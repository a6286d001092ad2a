#!/bin/sh
# The installed layout: `cmake --install` into a fresh prefix puts every file of the package
# in its place and nothing else; the installed programs find their library there rather than
# in the build; the desktop files pass the desktop's own tools.
#   install_test.sh BUILD_DIR
set -u
build=$1
. "$(dirname -- "$0")/support.sh"

prefix="$scratch/prefix"
install_build "$build" "$prefix"

sizes="16 22 24 32 48 64 128 256"
{
    echo games/winzolvik
    echo games/wzolvikcreator
    echo games/wzassets
    echo lib/winzolvik/WinZolvik
    echo lib/winzolvik/WZolvikCreator
    echo lib/winzolvik/libJpgToBmp.so
    echo share/winzolvik/WinData.stg
    echo share/winzolvik/user-folder.sh
    echo share/applications/winzolvik.desktop
    echo share/applications/wzolvikcreator.desktop
    echo share/mime/packages/winzolvik-assets.xml
    echo share/metainfo/org.winzolvik.WinZolvik.metainfo.xml
    echo share/man/man6/winzolvik.6.gz
    echo share/man/man1/wzolvikcreator.1.gz
    echo share/man/man1/wzassets.1.gz
    for size in $sizes; do
        echo "share/icons/hicolor/${size}x${size}/apps/winzolvik.png"
        echo "share/icons/hicolor/${size}x${size}/apps/wzolvikcreator.png"
    done
} | sort >"$scratch/expected"
# Documentation may grow; everything else is exactly the list above.
(cd "$prefix" && find . -type f -o -type l) | sed 's|^\./||' | grep -v '^share/doc/winzolvik/' |
    sort >"$scratch/installed"
if ! diff "$scratch/expected" "$scratch/installed" >"$scratch/diff"; then
    fail "installed files differ from the expected layout (< missing, > unexpected):"
    cat "$scratch/diff" >&2
fi
for doc in README.md game.md editor.md asset-file.md copyright changelog.gz; do
    [ -f "$prefix/share/doc/winzolvik/$doc" ] || fail "share/doc/winzolvik/$doc is missing"
done

for program in games/winzolvik games/wzolvikcreator games/wzassets lib/winzolvik/WinZolvik \
    lib/winzolvik/WZolvikCreator; do
    [ -x "$prefix/$program" ] || fail "$program is not executable"
done
cmp -s "$build/WinData.stg" "$prefix/share/winzolvik/WinData.stg" ||
    fail "the installed WinData.stg is not the one the build made"

# Icons: PNG files of their theme size.
for size in $sizes; do
    for name in winzolvik wzolvikcreator; do
        icon="$prefix/share/icons/hicolor/${size}x${size}/apps/$name.png"
        [ -f "$icon" ] || continue
        got=$(png_size "$icon")
        [ "$got" = "${size}x${size}" ] || fail "$name.png in ${size}x${size} is $got"
    done
done

# Run paths: the programs look beside themselves, the tool into lib/winzolvik, and none
# of them into the build.
runpath() { readelf -d "$1" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p; s/.*(RPATH).*\[\(.*\)\]/\1/p'; }
# shellcheck disable=SC2016 # $ORIGIN is the loader's, not the shell's
origin='$ORIGIN'
for program in WinZolvik WZolvikCreator; do
    got=$(runpath "$prefix/lib/winzolvik/$program")
    [ "$got" = "$origin" ] || fail "run path of $program is '$got'"
done
got=$(runpath "$prefix/games/wzassets")
[ "$got" = "$origin/../lib/winzolvik" ] || fail "run path of wzassets is '$got'"
for program in lib/winzolvik/WinZolvik games/wzassets; do
    found=$(ldd "$prefix/$program" | sed -n 's/.*libJpgToBmp.so => \([^ ]*\).*/\1/p')
    [ "$(readlink -f "${found:-none}")" = "$prefix/lib/winzolvik/libJpgToBmp.so" ] ||
        fail "$program loads libJpgToBmp from '$found'"
done
"$prefix/games/wzassets" check "$prefix/share/winzolvik/WinData.stg" >"$scratch/check.log" 2>&1 ||
    { fail "the installed wzassets does not accept the installed asset file:"; cat "$scratch/check.log" >&2; }

# Desktop entries: valid, starting the installed launchers, with installed icons; the
# editor's entry takes the MIME type the package defines.
apps="$prefix/share/applications"
for entry in winzolvik wzolvikcreator; do
    out=$(desktop-file-validate "$apps/$entry.desktop" 2>&1) || fail "desktop-file-validate $entry.desktop: $out"
    [ -z "$out" ] || fail "desktop-file-validate $entry.desktop warns: $out"
    exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$apps/$entry.desktop")
    [ -x "$prefix/games/$exec_program" ] || fail "$entry.desktop starts '$exec_program', not an installed launcher"
    icon=$(sed -n 's/^Icon=//p' "$apps/$entry.desktop")
    [ -f "$prefix/share/icons/hicolor/48x48/apps/$icon.png" ] || fail "$entry.desktop names the icon '$icon', not installed"
done
for entry in winzolvik wzolvikcreator; do
    grep -qx "Exec=$entry %f" "$apps/$entry.desktop" || fail "$entry.desktop does not take a file"
done

# The MIME type: well-formed, accepted by update-mime-database, and matching *.stg.
xml="$prefix/share/mime/packages/winzolvik-assets.xml"
xmllint --noout "$xml" || fail "xmllint rejects winzolvik-assets.xml"
type=$(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$xml")
for entry in winzolvik wzolvikcreator; do
    grep -qx "MimeType=$type;" "$apps/$entry.desktop" || fail "$entry.desktop does not open $type"
done
# A double-click plays an asset file: once the desktop's cache of the entries is made, as the
# package's trigger makes it, the type's default application is the game, and the editor is
# the other choice of "Open With". Only this package's entries are seen.
if command -v xdg-mime >/dev/null 2>&1; then
    mkdir -p "$scratch/desktop/applications" "$scratch/desktop/empty"
    cp "$apps/winzolvik.desktop" "$apps/wzolvikcreator.desktop" "$scratch/desktop/applications/"
    update-desktop-database "$scratch/desktop/applications" ||
        fail "update-desktop-database rejects the entries"
    default=$(env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION -u KDE_FULL_SESSION \
        -u GNOME_DESKTOP_SESSION_ID XDG_DATA_HOME="$scratch/desktop/empty" \
        XDG_DATA_DIRS="$scratch/desktop" XDG_CONFIG_HOME="$scratch/desktop/empty" \
        XDG_CONFIG_DIRS="$scratch/desktop/empty" xdg-mime query default "$type")
    [ "$default" = "winzolvik.desktop" ] || fail "the default application of $type is '$default'"
    grep -q "^$type=.*wzolvikcreator\.desktop;" "$scratch/desktop/applications/mimeinfo.cache" ||
        fail "the editor is not among the applications of $type"
else
    echo "skipped the default application: xdg-mime is needed"
fi
mkdir -p "$scratch/mime/packages"
cp "$xml" "$scratch/mime/packages/"
if update-mime-database "$scratch/mime" >"$scratch/mime.log" 2>&1; then
    grep -q ":$type:\*\.stg$" "$scratch/mime/globs2" || fail "update-mime-database made no *.stg glob for $type"
    [ -f "$scratch/mime/${type}.xml" ] || fail "update-mime-database made no entry for $type"
else
    fail "update-mime-database rejects the MIME type:"
    cat "$scratch/mime.log" >&2
fi

# Manual pages: man renders each without a warning (where man is installed).
if command -v man >/dev/null 2>&1; then
    for page in man6/winzolvik.6.gz man1/wzolvikcreator.1.gz man1/wzassets.1.gz; do
        warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$prefix/share/man/$page" 2>&1 >/dev/null)
        [ -z "$warnings" ] || fail "man $page: $warnings"
    done
fi

finish
