#!/usr/bin/env bash
# Three more drives in the Wine prefix for the end-to-end runs of the installer:
#   T: a 1 MiB tmpfs, a disk that fills up (needs root; left out otherwise)
#   D: a folder of the build tree, another fixed drive
#   W: a small tmpfs made read-only, holding the folder Existing (needs root; left out otherwise)
#   drives.sh setup|cleanup WINE_STATE_DIR WORK_DIR
set -euo pipefail
cmd=$1; dos="$2/prefix/dosdevices"; mkdir -p "$3"; work=$(cd "$3" && pwd)
case "$cmd" in
  setup)
    mkdir -p "$work/tiny" "$work/drive_d"
    if mountpoint -q "$work/tiny" || mount -t tmpfs -o size=1m tmpfs "$work/tiny" 2>/dev/null; then
      ln -sfn "$work/tiny" "$dos/t:"
    else
      echo "no tmpfs: the full-disk runs are skipped"
    fi
    ln -sfn "$work/drive_d" "$dos/d:"
    mkdir -p "$work/readonly"
    if mountpoint -q "$work/readonly" || { mount -t tmpfs -o size=64k tmpfs "$work/readonly" 2>/dev/null &&
        mkdir "$work/readonly/Existing" && mount -o remount,ro "$work/readonly"; }; then
      ln -sfn "$work/readonly" "$dos/w:"
    else
      echo "no tmpfs: the read-only drive's runs are skipped"
    fi ;;
  cleanup)
    rm -f "$dos/t:" "$dos/d:" "$dos/w:"
    if mountpoint -q "$work/tiny"; then umount "$work/tiny"; fi
    if mountpoint -q "$work/readonly"; then umount "$work/readonly"; fi ;;
  *) echo "usage: drives.sh setup|cleanup WINE_STATE_DIR WORK_DIR" >&2; exit 2 ;;
esac
