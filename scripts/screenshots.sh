#!/usr/bin/env bash
# Walks the real installer under Xvfb with the keyboard and saves a PNG of every panel on the way,
# at 96, 120, 144 and 192 DPI, into docs/screenshots/. Three walks in a private Wine prefix: an
# installation from the welcome panel to the completion panel, an upgrade of that installation,
# and an installation onto a full 1 MiB drive that ends on the error panel (only as root, which
# can mount the drive).
set -euo pipefail
cd "$(dirname "$0")/.."
exe=build/windows/Install_Korvane.exe
[ -f "$exe" ] || scripts/build.sh
state=build/windows/wine-shots
out=docs/screenshots
mkdir -p "$out"
# The wizard is about 1560 pixels wide at 192 DPI.
export XVFB_SCREEN=${XVFB_SCREEN:-2048x1536}
eval "$(scripts/wine.sh "$state" env)"
scripts/wine.sh "$state" start
# The search for installed copies walks every fixed drive, and Wine's Z: is the whole Linux
# root: the installer runs from C: and Z: goes, so the search sees the prefix only.
cp "$exe" "$WINEPREFIX/drive_c/Install_Korvane.exe"
rm -f "$WINEPREFIX/dosdevices/z:"
tiny="$(pwd)/$state/tiny"
mkdir -p "$tiny"

# The search panel stays in view when it finds nothing (its message is shown over it), so the
# upgrade walk first runs with nothing installed.
# Each step: a panel name (- for none), then the keys that lead on from it. A panel is shot once
# its slide has ended; `sleep:S` waits S seconds, `edit:TEXT` types TEXT into the folder box.
nothing=("- alt+n" "- alt+i alt+n" "- alt+u alt+n" "- sleep:4" "upgrade-search -")
install=("welcome alt+n" "licence alt+i alt+n" "install-or-upgrade alt+n" "install-folder alt+n"
         "download-folder alt+n" "connection alt+n" "toolbar alt+n" "confirmation alt+i"
         "installing sleep:25" "completion -")
upgrade=("- alt+n" "- alt+i alt+n" "- alt+u alt+n" "- sleep:5" "upgrade-choice alt+u"
         "upgrading sleep:25" "upgrade-completion -")
error=("- alt+n" "- alt+i alt+n" "- alt+n" "- edit:T:\\Korvane alt+n" "- alt+n" "- alt+n" "- alt+n"
       "- alt+i sleep:25" "error -")

# From the screen, not from the window alone, so that a message box over the wizard is in it.
shoot() {
  local x y w h
  read -r x y w h < <(xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}')
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$2"
}

walk() {
  local dpi=$1; shift
  wine 'C:\Install_Korvane.exe' &
  local pid=$! id=""
  for _ in $(seq 100); do
    id=$(xdotool search --name '^Install Korvane P2P [0-9.]+$' 2>/dev/null | head -n1) && [ -n "$id" ] && break
    sleep 0.1
  done
  [ -n "$id" ] || { echo "the wizard's window did not appear" >&2; exit 1; }
  sleep 0.5
  for step in "$@"; do
    read -r name keys <<<"$step"
    sleep 1.6
    [ "$name" = - ] || shoot "$id" "$out/$name-$dpi.png"
    for k in $keys; do
      case "$k" in
        -) ;;
        sleep:*) sleep "${k#sleep:}" ;;
        edit:*)
          # The folder box: design place 331,89 on the window, scaled like everything else.
          xdotool mousemove --window "$id" $((331 * dpi / 96)) $((89 * dpi / 96)) click 1
          xdotool key ctrl+a type --delay 20 "${k#edit:}" ;;
        *) xdotool windowfocus --sync "$id" key "$k" ;;
      esac
      sleep 0.3
    done
  done
  kill "$pid" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  sleep 1
}

for dpi in 96 120 144 192; do
  for key in 'HKCU\Control Panel\Desktop' 'HKCC\Software\Fonts'; do
    wine reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  done
  rm -rf "$WINEPREFIX/drive_c/Program Files/Korvane P2P"
  walk "$dpi" "${nothing[@]}"
  walk "$dpi" "${install[@]}"
  walk "$dpi" "${upgrade[@]}"
  if mountpoint -q "$tiny" || mount -t tmpfs -o size=1m tmpfs "$tiny" 2>/dev/null; then
    ln -sfn "$tiny" "$WINEPREFIX/dosdevices/t:"
    walk "$dpi" "${error[@]}"
    rm -f "$WINEPREFIX/dosdevices/t:"
    umount "$tiny"
  else
    echo "no tmpfs (not root?): the error panel is not shot"
  fi
done
scripts/wine.sh "$state" stop
ls "$out"
