#!/usr/bin/env bash
# Draws the product's pictures and icon. Run by hand after a change; the outputs are committed.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT

# The product icon: three linked peers on a navy disc.
for s in 16 24 32 48 64 256; do
  convert -size 256x256 xc:none \
    -fill '#000080' -stroke '#0000ff' -strokewidth 10 -draw 'circle 128,128 128,8' \
    -stroke '#a6caf0' -strokewidth 14 -draw 'line 78,170 128,70' -draw 'line 128,70 178,170' -draw 'line 78,170 178,170' \
    -stroke none -fill '#00ff00' -draw 'circle 128,70 128,40' \
    -fill '#fffbf0' -draw 'circle 78,170 78,142' -draw 'circle 178,170 178,142' \
    -resize ${s}x${s} "$tmp/icon-$s.png"
done
convert "$tmp"/icon-16.png "$tmp"/icon-24.png "$tmp"/icon-32.png "$tmp"/icon-48.png "$tmp"/icon-64.png "$tmp"/icon-256.png -depth 8 Korvane.ico
