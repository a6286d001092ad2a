#!/usr/bin/env bash
# Builds the benchmarks optimised and runs every one of them. Each benchmark measures its
# baseline in the same run and reports the ratio as a counter.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh --tests
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DWZ_BUILD_TESTS=OFF -DWZ_BUILD_BENCH=ON >/dev/null
cmake --build build-bench -j"$(nproc)"
status=0
for b in build-bench/bin/bench_*; do
  [ -x "$b" ] || continue
  if [ $# -gt 0 ] && [[ "$(basename "$b")" != *"$1"* ]]; then continue; fi
  echo "== $(basename "$b")"
  "$b" --benchmark_counters_tabular=true || status=1
done
exit $status
