#!/usr/bin/env bash
# Measures the game program: the benchmarks of bench_game_window (title paint with the
# scroller, presenting the frame, start-up to the first painted title frame, median of 10),
# then the real WinZolvik on the offscreen platform: processor time while the title screen
# waits and while its scroller runs, and resident memory.
# Usage: scripts/measure-game.sh [build folder, default build-bench]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DWZ_BUILD_TESTS=OFF -DWZ_BUILD_BENCH=ON >/dev/null
fi
cmake --build "$build" --target WinZolvik bench_game_window wz_default_asset_file >/dev/null

# Headless, with SDL's silent audio driver: the figures are the program's, not a sound card's.
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy

# GAME_ONLY=1 leaves out the benchmark.
if [ -z "${GAME_ONLY:-}" ]; then
  echo "== bench_game_window"
  "$build/bin/bench_game_window" --benchmark_counters_tabular=true
fi

# Runs the real game in a folder of its own, with its temporary files there too, and prints
# its processor time on the title screen before and while the scroller runs, and its memory.
# With "silent" the settings file switches the music off, leaving the game's own work.
measure_game() {
  local run pid
  run=$(mktemp -d)
  mkdir "$run/tmp"
  cp "$build/WinData.stg" "$run/"
  if [ "$1" = silent ]; then
    # 358 bytes: the default keys, 15 zero scores, music off, sound on, 15 blank lines.
    { printf '\x26\x28\x25\x27\x20'; head -c 60 /dev/zero; printf '\x00\x00\x00\x00\x01\x00\x00\x00'
      for _ in $(seq 15); do printf '                  \x00'; done; } > "$run/WinZolvik.cfg"
  fi
  (cd "$run" && TMPDIR="$run/tmp" exec "$OLDPWD/$build/bin/WinZolvik") 2>/dev/null &
  pid=$!
  local hz; hz=$(getconf CLK_TCK)
  ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
  # Processor time over wall time, in percent of one core.
  cpu_between() {
    local t0 c0 t1 c1
    t0=$(date +%s.%N); c0=$(ticks)
    sleep "$1"
    t1=$(date +%s.%N); c1=$(ticks)
    awk -v c="$((c1 - c0))" -v hz="$hz" -v t0="$t0" -v t1="$t1" \
      'BEGIN { printf "%.2f", 100 * c / hz / (t1 - t0) }'
  }
  sleep 3
  local idle scrolling rss hwm
  idle=$(cpu_between 15)       # seconds 3 to 18: the bare title picture, timer ticking
  sleep 9                      # the scroller starts about 25 s after start-up
  scrolling=$(cpu_between 20)  # seconds 27 to 47: the scroller repaints every 50 ms
  rss=$(awk '/VmRSS/ { printf "%.1f", $2 / 1024 }' "/proc/$pid/status")
  hwm=$(awk '/VmHWM/ { printf "%.1f", $2 / 1024 }' "/proc/$pid/status")
  kill "$pid"; wait "$pid" 2>/dev/null || true
  rm -rf "$run"
  echo "== WinZolvik on the offscreen platform, music $([ "$1" = silent ] && echo off || echo on)"
  echo "CPU, title screen before the scroller (baseline): ${idle} % of one core"
  echo "CPU, title screen with the scroller running:     ${scrolling} % of one core"
  echo "Resident memory while scrolling: ${rss} MiB (peak ${hwm} MiB)"
}

measure_game music
measure_game silent
