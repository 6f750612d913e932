#!/usr/bin/env bash
# Prints the installer's size as it ships (stripped), its three carried programs left out, and
# fails above the bound. The figure is deterministic: crossing the line is a change to look at.
# The carried arrays are Chunks x 1024 bytes (plus a closing zero) each, their chunk counts fixed
# in payload/GB_Payload.h; nm shows no symbol sizes in a PE file, only that the arrays are there.
set -euo pipefail
exe=$1
header="$(dirname "$0")/../payload/GB_Payload.h"
limit=$((512 * 1024))
symbols=$(x86_64-w64-mingw32-nm "$exe")
for array in GB_KorvaneP2P_exe_Data GB_Uninstall_exe_Data GB_korvane_toolbar_exe_Data; do
  grep -q " R $array\$" <<<"$symbols" || { echo "$exe has no symbol $array" >&2; exit 1; }
done
chunks=$(sed -n 's/^inline constexpr TPayloadSizes K[A-Za-z]*{\([0-9]*\),.*/\1/p' "$header")
[ "$(echo "$chunks" | wc -l)" -eq 3 ] || { echo "expected three payload sizes in $header" >&2; exit 1; }
arrays=0
for n in $chunks; do arrays=$((arrays + n * 1024 + 1)); done
stripped=$(mktemp)
trap 'rm -f "$stripped"' EXIT
x86_64-w64-mingw32-strip -o "$stripped" "$exe"
size=$(($(stat -c %s "$stripped") - arrays))
echo "$(basename "$exe") stripped: $(stat -c %s "$stripped") bytes; without the carried programs: $size bytes ($((size / 1024)) KiB, limit $((limit / 1024)) KiB)"
[ "$size" -le "$limit" ]
