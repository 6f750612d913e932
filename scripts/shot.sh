#!/usr/bin/env bash
# Waits for the wizard's window on $DISPLAY to be fully shown (the fade-in takes about 1.6 s) and saves it as a PNG.
set -euo pipefail
out=$1
for _ in $(seq 100); do
  id=$(xwininfo -root -tree 2>/dev/null | awk '/"Install Korvane P2P [0-9.]+"/ {print $1; exit}')
  [ -n "$id" ] && break
  sleep 0.1
done
[ -n "${id:-}" ] || { echo "the wizard's window did not appear" >&2; exit 1; }
sleep "${SHOT_DELAY:-2.5}"
mkdir -p "$(dirname "$out")"
import -window "$id" "$out"
