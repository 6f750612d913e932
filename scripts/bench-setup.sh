#!/usr/bin/env bash
# Prepares the benchmarks against NSIS: makensis, a Wine prefix of their own, and the two NSIS peer
# installers in build/windows/bench/nsis/. Quiet and quick when everything is already there. Not
# needed by the tests.
# The peers use NSIS's x86-64 stubs, so no wine32:i386: once installed, /usr/bin/wine starts its
# 32-bit loader, which breaks every Wine run (the tests' too) on a kernel without 32-bit support.
set -euo pipefail
cd "$(dirname "$0")/.."
sudo=; [ "$(id -u)" -eq 0 ] || sudo=sudo

if ! dpkg-query -W -f='${Status}' nsis 2>/dev/null | grep -q 'install ok installed'; then
  echo "installing: nsis"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends nsis >/dev/null
fi

[ -f build/windows/build.ninja ] || scripts/build.sh
if ! out=$(cmake --build --preset windows --target Korvane Uninstall Korvane_toolbar 2>&1); then
  echo "$out" >&2
  exit 1
fi

# The benchmarks install for real (folders, links, the uninstall key): not in the tests' prefix.
bench=build/windows/wine-bench
if [ ! -f "$bench/prefix/.ready" ]; then
  scripts/wine.sh "$bench" start
  scripts/wine.sh "$bench" stop
fi

programs=build/windows/programs
out=build/windows/bench/nsis
mkdir -p "$out"
# Rebuilt only when the script, the licence or a program is newer than the installer.
peer() {
  local exe=$out/$1 nsi=bench/nsis/$2
  shift 2
  local input
  for input in "$nsi" bench/nsis/licence.txt "$programs"/Korvane.Exe "$programs"/Uninstall.Exe \
               "$programs"/Korvane_toolbar.exe; do
    if [ ! "$exe" -nt "$input" ]; then
      makensis -V2 -DPROGRAMS="$PWD/$programs" -DOUTFILE="$PWD/$exe" "$@" "$nsi"
      return
    fi
  done
}
peer PeerSilent.exe peer-silent.nsi
peer PeerMUI.exe peer-mui.nsi -DLICENCE="$PWD/bench/nsis/licence.txt"
