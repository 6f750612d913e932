#!/usr/bin/env bash
# Runs test cases that need a full disk: a 1 MiB tmpfs becomes Wine's drive K: while they
# run (other tests count on unused letters: the drive goes again at the end), and the cases
# find it through KV_FULL_DISK.
#   full-disk.sh WINE_STATE_DIR TEST_EXE GTEST_FILTER
set -euo pipefail
state=$1 exe=$2 filter=$3
wine="$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine.sh"
disk="$state/fulldisk"
mkdir -p "$disk"
eval "$("$wine" "$state" env)"
link="$WINEPREFIX/dosdevices/k:"
mount -t tmpfs -o size=1m tmpfs "$disk"
trap 'rm -f "$link"; umount "$disk"' EXIT
ln -sfn "$disk" "$link"
KV_FULL_DISK='K:' "$wine" "$state" run "$exe" --gtest_filter="$filter"
