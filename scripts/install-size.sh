#!/usr/bin/env bash
# What ./play.sh and ./test.sh would install on a fresh Debian 12, counted without installing
# anything. apt-get simulates each install against an empty package status (nothing
# installed), once for a fresh system alone and once for that system with the packages of
# scripts/install-deps.sh; the packages only the second one installs, and the sum of their
# download sizes, are what the command adds. The fresh system is what debootstrap's minbase
# makes: every package of priority "required", and apt. Recommended packages are left out,
# as install-deps.sh leaves them out.
#   scripts/install-size.sh [PACKAGE...]   with packages: what those add, instead
# Needs the package lists (apt-get update) and nothing else.
set -euo pipefail
cd "$(dirname "$0")/.."

# The names of the packages a fresh system with these packages installed would hold.
closure() {
  apt-get -s -o Dir::State::status=/dev/null -o APT::Install-Recommends=false install "$@" 2>/dev/null |
    sed -n 's/^Inst \([^ ]*\) .*/\1/p' | sort -u
}

fresh=$(apt-cache dumpavail | awk -F': ' '
  /^Package: / { name = $2 }
  /^Priority: required$/ { required[name] = 1 }
  /^$/ { name = "" }
  END { for (n in required) print n }' | sort -u)
# shellcheck disable=SC2086 # one word a package
base=$(closure apt $fresh)

# Prints the count and the download size of the packages the list adds to the fresh system.
# The list of the added packages goes to the file named by the first argument.
added() {
  local out=$1
  shift
  # shellcheck disable=SC2086
  comm -13 <(echo "$base") <(closure apt $fresh "$@") >"$out"
  local count bytes=0
  count=$(wc -l <"$out")
  if [ "$count" -gt 0 ]; then
    # shellcheck disable=SC2046
    bytes=$(apt-cache show --no-all-versions $(cat "$out") | awk '/^Size: / { s += $2 } END { print s + 0 }')
  fi
  awk -v c="$count" -v b="$bytes" 'BEGIN { printf "%d packages, %.1f MB to download\n", c, b / 1e6 }'
}

work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT
echo "a fresh Debian 12 (minbase): $(echo "$base" | wc -l) packages"
if [ $# -gt 0 ]; then
  echo "the packages given add: $(added "$work/given" "$@")"
  exit 0
fi
mapfile -t play < <(scripts/install-deps.sh --print)
mapfile -t test < <(scripts/install-deps.sh --print --tests)
echo "./play.sh (install-deps.sh) adds: $(added "$work/play" "${play[@]}")"
echo "./test.sh (install-deps.sh --tests) adds: $(added "$work/test" "${test[@]}")"
extra=$(comm -13 "$work/play" "$work/test")
# shellcheck disable=SC2086
bytes=$(apt-cache show --no-all-versions $extra | awk '/^Size: / { s += $2 } END { print s + 0 }')
awk -v c="$(echo "$extra" | wc -l)" -v b="$bytes" \
  'BEGIN { printf "of which the test tools alone: %d packages, %.1f MB to download\n", c, b / 1e6 }'
