#!/usr/bin/env bash
# A real full disk: a tiny tmpfs. Needs the right to mount; skipped (77) without it.
set -uo pipefail
KVDAT=$1
dir=$(mktemp -d)
mount -t tmpfs -o size=64k tmpfs "$dir" 2>/dev/null || { rmdir "$dir"; echo "cannot mount a tmpfs: skipped"; exit 77; }
"$KVDAT" write "$dir/Korvane.Dat" 2>"$dir.err"
rc=$?
size=$(stat -c %s "$dir/Korvane.Dat" 2>/dev/null || echo 0)
umount "$dir"; rmdir "$dir"
err=$(cat "$dir.err"); rm -f "$dir.err"
[ "$rc" -eq 1 ] || { echo "FAIL: exit $rc"; exit 1; }
[ "$err" = "kvdat: I/O error 112" ] || { echo "FAIL: stderr '$err'"; exit 1; }
[ "$size" -gt 0 ] || { echo "FAIL: the partly written file did not stay"; exit 1; }
echo "full disk: I/O error 112, $size bytes left on disk"
