#!/usr/bin/env bash
# Runs test cases that need a full disk: a 1 MiB tmpfs becomes Wine's drive Q:, and the
# cases find it through KV_FULL_DISK.
#   full-disk.sh WINE_STATE_DIR TEST_EXE GTEST_FILTER
set -euo pipefail
state=$1 exe=$2 filter=$3
wine="$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine.sh"
disk="$state/fulldisk"
mkdir -p "$disk"
mount -t tmpfs -o size=1m tmpfs "$disk"
trap 'umount "$disk"' EXIT
eval "$("$wine" "$state" env)"
ln -sfn "$disk" "$WINEPREFIX/dosdevices/q:"
KV_FULL_DISK='Q:' "$wine" "$state" run "$exe" --gtest_filter="$filter"
