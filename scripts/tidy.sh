#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy over every .cpp of the project, and over the
# project's headers they include. Prints each finding as file:line, then their count and the
# time taken; exits non-zero on any finding, or when a .cpp is compiled by no target (clang-tidy
# could not see it).
#
# It keeps two build trees of its own, configured with clang so that clang-tidy reads the same
# flags the compiler got: build-tidy (everything but the fuzz targets) and build-tidy-fuzz (the
# fuzz targets, which only a clang fuzz build configures). Nothing is compiled; only Qt's moc
# runs, for the headers it generates.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
began=$SECONDS

for tool in clang-tidy-14 run-clang-tidy-14 clang++; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "tidy: $tool is missing; scripts/install-deps.sh --tests installs it" >&2
    exit 2
  fi
done

configure() { # <build dir> <extra cmake arguments...>
  local dir=$1
  shift
  CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DCMAKE_AUTOGEN_ORIGIN_DEPENDS=OFF "$@" >/dev/null
}
configure build-tidy -DWZ_BUILD_TESTS=ON -DWZ_BUILD_BENCH=ON
configure build-tidy-fuzz -DWZ_BUILD_FUZZ=ON

# moc's output is included by the sources, so it must exist before clang-tidy parses them.
mapfile -t autogen < <(ninja -C build-tidy -t targets all | sed -n 's/^\([^:/]*_autogen\): .*/\1/p')
if [ ${#autogen[@]} -gt 0 ]; then
  cmake --build build-tidy -j"$(nproc)" --target "${autogen[@]}" >/dev/null
fi

# One database over both trees; the first tree's command wins for a file both compile.
database=build-tidy/all
mkdir -p "$database"
python3 - "$root" "$database/compile_commands.json" <<'EOF'
import json, sys
root, out = sys.argv[1], sys.argv[2]
seen, merged = set(), []
for tree in ("build-tidy", "build-tidy-fuzz"):
    for entry in json.load(open(f"{root}/{tree}/compile_commands.json")):
        if entry["file"] not in seen:
            seen.add(entry["file"])
            merged.append(entry)
json.dump(merged, open(out, "w"), indent=1)
EOF

log=build-tidy/tidy.log
status=0
# Only the project's own folders: not build trees, not moc's output.
folders='(bench|common|dist|editor|fuzz|game|jpgtobmp|media|qtshared|testkit|tests|tools)'
run-clang-tidy-14 -quiet -j"$(nproc)" -p "$database" -header-filter="^$root/$folders/" \
  "^$root/$folders/.*\\.cpp\$" >"$log" 2>&1 || status=$?

# A finding is printed once, even when several sources include the header it is in.
# run-clang-tidy colours its output; the colours go before the findings are read.
findings=$(sed 's/\x1b\[[0-9;]*m//g' "$log" | grep -E '^/[^:]+:[0-9]+:[0-9]+: (warning|error): ' |
  sed -E "s|^$root/||; s|^([^:]+:[0-9]+):[0-9]+: [a-z]+: (.*)$|\\1: \\2|" | sort -u || true)
# clang-tidy names some findings in code it invented (a requires-expression's) with no place.
placeless=$(sed 's/\x1b\[[0-9;]*m//g' "$log" | grep -E '^(warning|error): ' | sed 's/^/(no place): /' |
  sort -u || true)

# A source no target compiles is one clang-tidy never looked at.
unseen=$(comm -23 <(git ls-files '*.cpp' | sort) \
  <(python3 -c 'import json,sys,os; [print(os.path.relpath(e["file"], sys.argv[2])) for e in json.load(open(sys.argv[1]))]' \
    "$database/compile_commands.json" "$root" | sort -u) | sed 's/$/: compiled by no target/')

all=$(printf '%s\n%s\n%s\n' "$findings" "$placeless" "$unseen" | sed '/^$/d')
count=0
if [ -n "$all" ]; then
  echo "$all"
  count=$(echo "$all" | wc -l)
fi
if [ "$status" -ne 0 ] && [ "$count" -eq 0 ]; then
  # clang-tidy failed without a finding in the usual form: show what it said.
  cat "$log" >&2
  count=1
fi
echo "tidy: $count finding(s) in $((SECONDS - began)) s (full output in $log)"
[ "$count" -eq 0 ]
