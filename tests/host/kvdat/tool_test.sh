#!/usr/bin/env bash
# The kvdat tool as support people use it: write, dump, and one clear line for bad input.
set -euo pipefail
KVDAT=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Expects exit code $1 and exactly one stderr line matching $2 from the rest of the command line.
expect_error() {
  local code=$1 pattern=$2; shift 2
  set +e; "$@" >"$work/out" 2>"$work/err"; local rc=$?; set -e
  [ "$rc" -eq "$code" ] || fail "$* exited $rc, expected $code"
  [ "$(wc -l <"$work/err")" -eq 1 ] || fail "$*: stderr is not one line: $(cat "$work/err")"
  grep -q -- "$pattern" "$work/err" || fail "$*: stderr '$(cat "$work/err")' lacks '$pattern'"
}

"$KVDAT" write "$work/a.dat" --data-dir 'C:\Data\' --download-dir 'D:\Shared\' --connection 3 --tag 07
"$KVDAT" dump "$work/a.dat" >"$work/a.json"
python3 - "$work/a.json" <<'PY'
import json, sys
d = json.load(open(sys.argv[1]))
h = d["header"]
assert (h["H1"], h["H2"], h["H5"], h["H23"]) == ("C:\\Data\\", "D:\\Shared\\", "07", 80), h
assert d["folderList"]["entries"] == [{"path": "D:\\Shared", "flag1": True, "flag2": True}]
assert [len(d[k]) for k in ("gnutellaHosts", "tolkHosts", "settings", "hashes")] == [500, 500, 2118, 1195]
assert d["remoteSettings"]["R4"] == "korvane.rms"
assert isinstance(h["H11"]["days"], (int, float)) and len(h["H11"]["iso"]) == 23, h["H11"]
PY
# The installer's defaults: "03", connection 8 (speed 77), empty folders.
"$KVDAT" write "$work/d.dat"
"$KVDAT" dump "$work/d.dat" | python3 -c '
import json, sys
h = json.load(sys.stdin)["header"]
assert (h["H1"], h["H2"], h["H5"], h["H23"]) == ("", "", "03", 77), h'

expect_error 1 "cannot open" "$KVDAT" dump "$work/missing.dat"
head -c 5000 "$work/a.dat" >"$work/cut.dat"
expect_error 1 "damaged data file at byte" "$KVDAT" dump "$work/cut.dat"
expect_error 2 "unknown option --speed" "$KVDAT" write "$work/b.dat" --speed 3
expect_error 2 "needs an integer" "$KVDAT" write "$work/b.dat" --connection fast
expect_error 2 "unknown command" "$KVDAT" show "$work/a.dat"
expect_error 1 "Invalid filename" "$KVDAT" write "$work/no/such/dir/x.dat"
echo "kvdat: all cases pass"
