#!/usr/bin/env bash
# Installs every Debian package the project needs to build, run and test.
# Idempotent and quiet when everything is present: apt-get runs only for missing packages.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  # the package's dependency step (dpkg-shlibdeps)
  dpkg-dev file
  # libraries
  qt6-base-dev qt6-base-dev-tools libgl-dev libturbojpeg0-dev libjpeg62-turbo-dev
  libsdl2-dev libsdl2-mixer-dev libfluidsynth-dev timgm6mb-soundfont
  # picture fitting: libvips with its C++ API (its HEIF/AVIF module comes with it)
  libvips-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  # fonts for Qt's offscreen and X11 text rendering
  fonts-dejavu-core
  # tools the tests use
  libgsf-bin python3-olefile 7zip xvfb xauth xdotool imagemagick
  # djpeg, the baseline of the picture-fitting benchmarks
  libjpeg-turbo-progs
  desktop-file-utils libxml2-utils shared-mime-info
  # the Debian package's checks: its policy lint and its software-centre data
  lintian appstream
  # node runs the SheetJS compound-file package (scripts/sheetjs-cfb.sh installs it with npm)
  nodejs
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

# Some builds of nodejs bring npm with them and refuse Debian's npm package beside them.
if ! command -v npm >/dev/null 2>&1; then
  missing+=(npm)
fi

[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
