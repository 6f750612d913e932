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
./ico-png.py Korvane.ico

# The pictures are 256-colour bitmaps, run-length coded: for these flat drawings that is smaller
# than JPEG, keeps the edges sharp, and GDI reads them itself, with no decoder to load.
bmp() { convert "$tmp/$1.png" -alpha off +dither -colors 256 -type Palette -compress RLE "BMP3:$1.bmp"; }

# Welcome picture (behind the moving words): peers linked across a sky gradient.
convert -size 513x390 gradient:'#dcecff'-'#5b8fd0' \
  -stroke '#ffffff' -strokewidth 3 \
  -draw 'line 80,90 250,60' -draw 'line 250,60 420,120' -draw 'line 80,90 160,250' -draw 'line 160,250 350,300' \
  -draw 'line 350,300 420,120' -draw 'line 250,60 350,300' -draw 'line 160,250 420,120' \
  -stroke '#000080' -strokewidth 4 -fill '#fffbf0' \
  -draw 'circle 80,90 80,66' -draw 'circle 250,60 250,36' -draw 'circle 420,120 420,96' \
  -draw 'circle 160,250 160,226' -draw 'circle 350,300 350,276' \
  -fill '#00ff00' -draw 'circle 250,60 250,48' -draw 'circle 350,300 350,288' \
  "$tmp/welcome.png"
bmp welcome

# Install-or-upgrade picture on the white panel: a parcel with a download arrow.
convert -size 225x193 xc:white \
  -fill '#c8a060' -stroke '#704818' -strokewidth 3 -draw 'polygon 40,80 112,110 112,180 40,150' \
  -fill '#deb878' -draw 'polygon 112,110 185,80 185,150 112,180' \
  -fill '#f0d098' -draw 'polygon 40,80 112,50 185,80 112,110' \
  -fill '#0000ff' -stroke '#000080' -draw 'polygon 95,8 129,8 129,40 148,40 112,76 76,40 95,40' \
  "$tmp/install.png"
bmp install

# Error picture: a warning sign on the panels' sky blue.
convert -size 121x122 xc:'#a6caf0' \
  -fill '#ffd800' -stroke '#800000' -strokewidth 6 -draw 'polygon 60,10 114,110 6,110' \
  -stroke none -fill '#800000' -draw 'rectangle 55,40 66,80' -draw 'circle 60,94 60,87' \
  "$tmp/error.png"
bmp error

# The licence panel's emblem: the icon's three peers, small, on sky blue.
convert -size 49x57 xc:'#a6caf0' \
  -fill '#000080' -stroke '#0000ff' -strokewidth 2 -draw 'circle 24,28 24,4' \
  -stroke '#a6caf0' -strokewidth 3 -draw 'line 14,36 24,16' -draw 'line 24,16 34,36' -draw 'line 14,36 34,36' \
  -stroke none -fill '#00ff00' -draw 'circle 24,16 24,11' \
  -fill '#fffbf0' -draw 'circle 14,36 14,31' -draw 'circle 34,36 34,31' \
  "$tmp/emblem.png"
bmp emblem

# The toolbar offer: the browser's toolbar with the Korvane one below it.
convert -size 675x56 gradient:'#f4f4f4'-'#d0d0d0' \
  -fill white -stroke '#808080' -strokewidth 1 -draw 'rectangle 150,16 560,40' \
  -fill '#4060c0' -stroke none -draw 'polygon 14,28 30,14 30,22 46,22 46,34 30,34 30,42' \
  -draw 'polygon 100,28 84,14 84,22 68,22 68,34 84,34 84,42' \
  -fill '#808080' -draw 'rectangle 580,18 660,38' \
  "$tmp/toolbar.png"
bmp toolbar
convert -size 674x24 xc:'#000080' \
  -fill '#00ff00' -draw 'circle 14,12 14,5' -fill '#fffbf0' -draw 'circle 8,17 8,13' -draw 'circle 20,17 20,13' \
  -fill white -stroke '#a6caf0' -draw 'rectangle 40,4 300,19' \
  -stroke none -fill '#a6caf0' -draw 'rectangle 320,5 370,18' -draw 'rectangle 390,5 440,18' \
  -draw 'rectangle 460,5 510,18' -draw 'rectangle 530,5 580,18' \
  "$tmp/toolbarstrip.png"
bmp toolbarstrip
