#!/usr/bin/env bash
# Walks the real installer under Xvfb with the keyboard and saves a PNG of every panel on the way,
# at 96 and at 144 DPI, into docs/screenshots/. It stops at the confirmation page: nothing is installed.
set -euo pipefail
cd "$(dirname "$0")/.."
exe=build/windows/Install_Korvane.exe
[ -f "$exe" ] || scripts/build.sh
state=build/windows/wine-shots
out=docs/screenshots
mkdir -p "$out"
eval "$(scripts/wine.sh "$state" env)"

# panel name, then the keys that lead from it to the next panel
steps=(
  "welcome alt+n"
  "licence alt+i alt+n"
  "install-or-upgrade alt+n"
  "install-folder alt+n"
  "download-folder alt+n"
  "connection alt+n"
  "toolbar alt+n"
  "confirmation -"
)

for dpi in 96 144; do
  for key in 'HKCU\Control Panel\Desktop' 'HKCC\Software\Fonts'; do
    wine reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  done
  wine "$exe" &
  pid=$!
  SHOT_DELAY=2 scripts/shot.sh "$out/welcome-$dpi.png"
  id=$(xdotool search --name '^Install Korvane P2P 4.43$' | head -n1)
  for step in "${steps[@]}"; do
    read -r name keys <<<"$step"
    [ "$name" = welcome ] || { sleep 1.6; import -window "$id" "$out/$name-$dpi.png"; }
    [ "$keys" = - ] && break
    for k in $keys; do
      xdotool windowfocus --sync "$id" key "$k"
      sleep 0.3
    done
  done
  kill "$pid" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  sleep 1
done
scripts/wine.sh "$state" stop
ls "$out"
