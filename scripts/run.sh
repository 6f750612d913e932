#!/usr/bin/env bash
# Builds and starts the wizard under Wine. With a display it runs there; without one it runs under
# Xvfb, saves a screenshot of the window to build/wizard.png and ends.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
exe=build/windows/Install_Korvane.exe
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  export WINEPREFIX="$PWD/build/windows/wine-desktop" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  exec wine "$exe" "$@"
fi
state=build/windows/wine-run
eval "$(scripts/wine.sh "$state" env)"
wine "$exe" "$@" &
pid=$!
scripts/shot.sh build/wizard.png
kill "$pid" 2>/dev/null || true
scripts/wine.sh "$state" stop
echo "screenshot of the wizard: build/wizard.png"
