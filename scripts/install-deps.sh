#!/usr/bin/env bash
# Installs the Debian packages the project needs. Idempotent and quiet when everything is
# present: apt-get runs only for missing packages.
#   install-deps.sh            what building and running the game, the editor and the tool need
#                              (./play.sh)
#   install-deps.sh --tests    that, and every tool the tests and benchmarks use (./test.sh)
#   install-deps.sh --print [--tests]
#                              prints the packages of that choice, one a line, and installs
#                              nothing
set -euo pipefail

build_and_run=(
  # toolchain
  build-essential cmake ninja-build pkg-config
  # libraries (qt6-base-dev brings the platform plugins the programs load at run time)
  qt6-base-dev qt6-base-dev-tools libgl-dev libturbojpeg0-dev libjpeg62-turbo-dev
  libsdl2-dev libsdl2-mixer-dev libfluidsynth-dev timgm6mb-soundfont
  # picture fitting: libvips with its C++ API (its HEIF/AVIF module comes with it)
  libvips-dev
  # fonts for Qt's text rendering
  fonts-dejavu-core
)

tests=(
  # the fuzz targets and the sanitizer runtime they use (clang's libFuzzer)
  clang libclang-rt-14-dev
  # the package's dependency step (dpkg-shlibdeps)
  dpkg-dev file
  libgtest-dev libgmock-dev libbenchmark-dev
  # tools the tests use
  libgsf-bin python3-olefile 7zip xvfb xauth xdotool imagemagick
  # djpeg, the baseline of the picture-fitting benchmarks, and time, which measures peak memory
  libjpeg-turbo-progs time
  desktop-file-utils libxml2-utils shared-mime-info xdg-utils
  # the Debian package's checks: its policy lint and its software-centre data
  lintian appstream
  # the code checks: scripts/tidy.sh and the format check
  clang-tidy clang-format
  # node runs the SheetJS compound-file package (scripts/sheetjs-cfb.sh installs it with npm)
  nodejs
)

with_tests=false
print_only=false
for argument in "$@"; do
  case $argument in
    --tests) with_tests=true ;;
    --print) print_only=true ;;
    *)
      echo "install-deps: unknown argument '$argument'; use --tests and --print" >&2
      exit 2
      ;;
  esac
done

packages=("${build_and_run[@]}")
if $with_tests; then
  packages+=("${tests[@]}")
fi

if $print_only; then
  printf '%s\n' "${packages[@]}"
  # Some builds of nodejs bring npm with them; Debian's comes as a package of its own.
  if $with_tests; then
    echo npm
  fi
  exit 0
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

# Some builds of nodejs bring npm with them and refuse Debian's npm package beside them.
if $with_tests && ! command -v npm >/dev/null 2>&1; then
  missing+=(npm)
fi

[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
