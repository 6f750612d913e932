#!/usr/bin/env bash
# Signs a program in place with Authenticode (SHA-256), the last step of its build:
#   sign.sh PROGRAM PFX [TIMESTAMP_URL]
# The PFX's password comes in KV_SIGN_PASSWORD and reaches osslsigncode through standard
# input, never its command line. A time stamp only when a server is named.
set -euo pipefail
program=$1 pfx=$2 timestamp=${3:-}
ts=(); [ -n "$timestamp" ] && ts=(-ts "$timestamp")
signed="$program.signed"
trap 'rm -f "$signed"' EXIT
printf '%s' "${KV_SIGN_PASSWORD:-}" |
  osslsigncode sign -pkcs12 "$pfx" -readpass - -h sha256 "${ts[@]}" -in "$program" -out "$signed" >/dev/null
mv "$signed" "$program"
echo "signed $(basename "$program") with $(basename "$pfx")"
