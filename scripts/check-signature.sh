#!/usr/bin/env bash
# Verifies each program's Authenticode signature against the test build's CA, and that a copy
# with one byte changed after signing fails the check:  check-signature.sh CA PROGRAM...
set -euo pipefail
ca=$1; shift
copy=$(mktemp)
trap 'rm -f "$copy"' EXIT
for program in "$@"; do
  osslsigncode verify -CAfile "$ca" -in "$program" >/dev/null || { echo "$program: signature does not verify" >&2; exit 1; }
  cp "$program" "$copy"
  size=$(stat -c %s "$copy")
  at=$((size / 2))
  byte=$(od -An -tu1 -j "$at" -N1 "$copy" | tr -d ' ')
  printf "$(printf '\\%03o' $(((byte + 1) % 256)))" | dd of="$copy" bs=1 seek="$at" conv=notrunc status=none
  if osslsigncode verify -CAfile "$ca" -in "$copy" >/dev/null 2>&1; then
    echo "$program: a copy with byte $at changed still verifies" >&2
    exit 1
  fi
  echo "$(basename "$program"): signed, verifies against $(basename "$ca"); a changed byte does not"
done
