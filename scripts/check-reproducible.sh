#!/usr/bin/env bash
# Builds the release installer twice from the same source, in this checkout (build/release) and
# in a copy of it under another path, and fails unless the two are the same bytes. The copy is
# the source as the checkout has it, committed or not, without what git ignores (the builds),
# so each side builds everything itself: the copy only what the release installer needs, the
# host preset's payload packer and the installer.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS

cmake --preset host >/dev/null
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"

other=$(mktemp -d "${TMPDIR:-/tmp}/kv-reproducible.XXXXXX")
trap 'rm -rf "$other"' EXIT
mkdir "$other/source"
# Files deleted but not yet committed are still listed: tar passes over them.
git ls-files -z --cached --others --exclude-standard |
  tar --null -T - --ignore-failed-read -cf - 2>/dev/null | tar -xf - -C "$other/source"
(
  cd "$other/source"
  cmake --preset host >/dev/null
  cmake --preset release >/dev/null
  cmake --build --preset release -j "$(nproc)"
)

first=build/release/Install_Korvane.exe second="$other/source/build/release/Install_Korvane.exe"
if ! cmp "$first" "$second"; then
  echo "the release installer differs between two builds of the same source: $first and a build in" \
       "another folder ($(cmp -l "$first" "$second" | wc -l) bytes differ)" >&2
  exit 1
fi
echo "release installer reproducible: $(stat -c %s "$first") bytes, the same from two folders ($((SECONDS - start)) s)"
