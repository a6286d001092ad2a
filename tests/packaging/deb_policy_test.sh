#!/bin/sh
# The Debian package against Debian's own rules: lintian finds no error in it and no warning
# but the one known below; its copyright file is in the machine-readable format, with the
# licence text of the source tree's LICENSE; its changelog is for this version; its AppStream
# entry passes appstreamcli and starts the installed desktop entry.
#   deb_policy_test.sh BUILD_DIR VERSION SOURCE_DIR
set -u
build=$1
version=$2
source=$3
. "$(dirname -- "$0")/support.sh"

for tool in lintian appstreamcli dpkg-parsechangelog; do
    command -v "$tool" >/dev/null 2>&1 || { fail "$tool is needed (scripts/install-deps.sh --tests installs it)"; finish; }
done
deb=$(the_deb "$build" "$version") || exit 1
dpkg-deb -x "$deb" "$scratch/root"
doc="$scratch/root/usr/share/doc/winzolvik"

# Lintian. The warning let through: cpack has the maintainer scripts run ldconfig for any
# library under /usr/lib, although ours is private to /usr/lib/winzolvik (harmless).
lintian --tag-display-limit 0 "$deb" >"$scratch/lintian" 2>&1
status=$?
# 0: no error, 1: errors found (listed below); anything else: lintian itself failed.
[ "$status" -le 1 ] || fail "lintian failed ($status): $(cat "$scratch/lintian")"
grep '^E: ' "$scratch/lintian" >"$scratch/errors"
[ ! -s "$scratch/errors" ] || fail "lintian errors:
$(cat "$scratch/errors")"
grep '^W: ' "$scratch/lintian" | grep -v ': maintscript-calls-ldconfig \[post\(inst\|rm\)\]$' >"$scratch/warnings"
[ ! -s "$scratch/warnings" ] || fail "new lintian warnings:
$(cat "$scratch/warnings")"

# Copyright: the machine-readable format, every file covered, every licence named in a Files
# paragraph given its text in a paragraph of its own, and that text the one in LICENSE.
copyright="$doc/copyright"
if [ -f "$copyright" ]; then
    [ "$(head -n 1 "$copyright")" = "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" ] ||
        fail "the copyright file does not start with the format's Format line"
    grep -qx 'Files: \*' "$copyright" || fail "no Files: * paragraph in the copyright file"
    # Per paragraph: its Files line (if any) and its License line, and whether text follows.
    awk 'BEGIN { RS = ""; FS = "\n" }
        { files = 0; name = ""; text = 0
          for (i = 1; i <= NF; i++) {
              if ($i ~ /^Files:/) files = 1
              if ($i ~ /^License:/) { name = $i; sub(/^License: */, "", name); text = (i < NF && $(i + 1) ~ /^ /) }
          }
          if (files) print "uses " name; else if (name != "" && text) print "gives " name }' \
        "$copyright" >"$scratch/licences"
    grep -q '^uses ' "$scratch/licences" || fail "no Files paragraph names its licence"
    sed -n 's/^uses //p' "$scratch/licences" | sort -u | while read -r name; do
        grep -qx "gives $name" "$scratch/licences" || echo "$name"
    done >"$scratch/untold"
    [ ! -s "$scratch/untold" ] || fail "licences without their text: $(cat "$scratch/untold")"
    # The licence text: indented, "." for an empty line; LICENSE from its permission notice on.
    sed -n '/^License: [^ ]*$/,/^$/{ /^ /p; }' "$copyright" | sed 's/^ //; s/^\.$//' >"$scratch/licence-text"
    sed -n '/^Permission is hereby granted/,$p' "$source/LICENSE" >"$scratch/LICENSE-text"
    cmp -s "$scratch/licence-text" "$scratch/LICENSE-text" ||
        fail "the copyright file's licence text differs from LICENSE: $(diff "$scratch/LICENSE-text" "$scratch/licence-text")"
else
    fail "no usr/share/doc/winzolvik/copyright"
fi

# Changelog: compressed without a name or time stamp, its latest entry for this version.
changelog="$doc/changelog.gz"
if gzip -t "$changelog" 2>/dev/null; then
    # Byte 3 holds the header's flags (8: a file name follows), bytes 4 to 7 the time.
    header=$(od -An -tu1 -j3 -N5 "$changelog" | tr -s ' ')
    [ "$header" = " 0 0 0 0 0" ] || fail "changelog.gz keeps a name or time stamp (header:$header)"
    gzip -dc "$changelog" >"$scratch/changelog"
    got=$(dpkg-parsechangelog -l "$scratch/changelog" -S Version 2>&1)
    [ "$got" = "$version" ] || fail "the changelog's latest version is '$got'"
    got=$(dpkg-parsechangelog -l "$scratch/changelog" -S Source 2>&1)
    [ "$got" = winzolvik ] || fail "the changelog is for '$got'"
else
    fail "no usable usr/share/doc/winzolvik/changelog.gz"
fi
[ ! -e "$doc/changelog.Debian.gz" ] || fail "a native package has no changelog.Debian.gz"

# AppStream: valid without errors or warnings (pedantic notes allowed), also against the
# installed tree; its desktop entry installed; its latest release this version.
set -- "$scratch/root/usr/share/metainfo/"*.metainfo.xml
if [ "$#" -eq 1 ] && [ -f "$1" ]; then
    metainfo=$1
    appstreamcli validate --no-net "$metainfo" >"$scratch/appstream" 2>&1 ||
        fail "appstreamcli validate: $(cat "$scratch/appstream")"
    appstreamcli validate-tree --no-net "$scratch/root" >"$scratch/appstream-tree" 2>&1 ||
        fail "appstreamcli validate-tree: $(cat "$scratch/appstream-tree")"
    if grep -q '^ *[EW]: ' "$scratch/appstream" "$scratch/appstream-tree"; then
        fail "appstreamcli reports: $(grep -h '^ *[EW]: ' "$scratch/appstream" "$scratch/appstream-tree")"
    fi
    id=$(sed -n 's|.*<id>\(.*\)</id>.*|\1|p' "$metainfo")
    [ "$(basename "$metainfo")" = "$id.metainfo.xml" ] || fail "$(basename "$metainfo") holds the id '$id'"
    desktop=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo")
    [ -n "$desktop" ] && [ -f "$scratch/root/usr/share/applications/$desktop" ] ||
        fail "the metainfo launches '$desktop', not an installed desktop entry"
    release=$(sed -n 's|.*<release version="\([^"]*\)".*|\1|p' "$metainfo" | head -n 1)
    [ "$release" = "$version" ] || fail "the metainfo's latest release is '$release'"
    for binary in $(sed -n 's|.*<binary>\(.*\)</binary>.*|\1|p' "$metainfo"); do
        [ -x "$scratch/root/usr/games/$binary" ] || fail "the metainfo provides '$binary', not installed"
    done
else
    fail "expected one metainfo file in usr/share/metainfo, found: $*"
fi

finish
