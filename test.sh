#!/usr/bin/env bash
# Checks every C++ file against .clang-format, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs every test headless, then runs the suite again in an
# optimised build without them, as a packager builds it. Ends with each stage's time; exits
# non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh --tests

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
export SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# How long each stage took, printed at the end whatever the outcome, with the total.
stage_times=""
stage_began=0
took() {
    stage_times+=$(printf '  %-18s %5d s' "$1" $((SECONDS - stage_began)))$'\n'
    stage_began=$SECONDS
}
print_times() {
    printf 'Stage times:\n%s  %-18s %5d s (%d min %d s)\n' "$stage_times" total "$SECONDS" \
        $((SECONDS / 60)) $((SECONDS % 60))
}
trap print_times EXIT
took dependencies
status=0

# Every C++ file in the project's one format; a file that differs is named with its line.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror || {
    echo "test.sh: the files above differ from .clang-format; clang-format -i puts them right" >&2
    status=1
  }
else
  find . -path './build*' -prune -o \( -name '*.cpp' -o -name '*.h' \) -print0 |
    xargs -0 clang-format --dry-run --Werror || status=1
fi
took format

# The parsers' fuzz targets, for a bounded time each, when clang is there.
if command -v clang++ >/dev/null 2>&1; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DWZ_BUILD_FUZZ=ON >/dev/null
  cmake --build build-fuzz -j"$jobs"
  took "fuzz build"
  ctest --test-dir build-fuzz --output-on-failure -j"$jobs"
  took "fuzz run"
fi

cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DWZ_SANITIZE=ON -DWZ_BUILD_BENCH=ON >/dev/null
cmake --build build-test -j"$jobs"
took "sanitizer build"
ctest --test-dir build-test --output-on-failure -j"$jobs" --timeout 600 || status=$?
took "sanitizer suite"

# The optimiser may remove or reorder what an unoptimised build keeps, so the tests must hold
# there too.
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DWZ_BUILD_BENCH=OFF >/dev/null
cmake --build build-release -j"$jobs"
took "Release build"
ctest --test-dir build-release --output-on-failure -j"$jobs" --timeout 600 || status=$?
took "Release suite"
exit "$status"
