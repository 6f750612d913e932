#!/usr/bin/env bash
# Drives of every kind in the Wine prefix, for the tests that tell fixed drives from the rest
# (the letters are also in tests/windows/DriveKinds.h):
#   H: fixed, R: removable, N: network, O: CD-ROM, M: RAM disk, each a folder under WORK_DIR;
#   Z:, Wine's whole Unix root, becomes a network drive, so that a search of the fixed drives
#   stays within the prefix and these drives instead of walking the machine.
# Wine's mount manager takes the kinds (HKLM\Software\Wine\Drives) only when the wineserver
# starts, so it is restarted after each change. Cleanup gives the prefix its defaults back.
#   drive-kinds.sh setup|cleanup WINE_STATE_DIR WORK_DIR
set -euo pipefail
cmd=$1 state=$2
mkdir -p "$3"; work=$(cd "$3" && pwd)
wine_sh="$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine.sh"
eval "$("$wine_sh" "$state" env)"
key='HKLM\Software\Wine\Drives'
kinds="h=hd r=floppy n=network o=cdrom m=ramdisk"

reg() { "$wine_sh" "$state" run reg "$@" >/dev/null; }
restart() {
  wineserver -k 2>/dev/null || true
  wineserver -w
  "$wine_sh" "$state" start
}

case "$cmd" in
  setup)
    for k in $kinds; do
      letter=${k%=*}
      mkdir -p "$work/$letter"
      ln -sfn "$work/$letter" "$WINEPREFIX/dosdevices/$letter:"
      reg add "$key" /v "$letter:" /d "${k#*=}" /f
    done
    reg add "$key" /v z: /d network /f
    restart ;;
  cleanup)
    for k in $kinds; do
      letter=${k%=*}
      rm -f "$WINEPREFIX/dosdevices/$letter:"
      reg delete "$key" /v "$letter:" /f || true
    done
    reg delete "$key" /v z: /f || true
    restart
    rm -rf "$work" ;;
  *) echo "usage: drive-kinds.sh setup|cleanup WINE_STATE_DIR WORK_DIR" >&2; exit 2 ;;
esac
