#!/usr/bin/env bash
# Builds the game and starts it on the default asset file in the folder run/.
#   ./play.sh [--level N] [PACK]    a pack is played in place of run/WinData.stg, which stays
set -euo pipefail
caller=$(pwd)
cd "$(dirname "$0")"
./scripts/install-deps.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWZ_BUILD_TESTS=OFF -DWZ_BUILD_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)"

game=build/bin/WinZolvik
if [ ! -x "$game" ]; then
  echo "play.sh: the game program is not built yet (no $game)." >&2
  exit 1
fi

mkdir -p run
if [ ! -f run/WinData.stg ]; then
  cp build/WinData.stg run/WinData.stg
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != "offscreen" ]; then
  echo "play.sh: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set); run it on a desktop, or under Xvfb: xvfb-run -a ./play.sh" >&2
  exit 1
fi

# shellcheck source=dist/user-folder.sh
. dist/user-folder.sh
winzolvik_run_game "$caller" run "$PWD/$game" "$@"
