#!/usr/bin/env bash
# Installs what the builds and tests need; quiet and quick when everything is already there.
set -euo pipefail
pkgs=(cmake ninja-build g++ zlib1g-dev googletest libgtest-dev
      g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64 libz-mingw-w64-dev
      wine wine64 fonts-wine xvfb xauth x11-utils xdotool imagemagick python3 clang libclang-rt-14-dev
      locales osslsigncode openssl)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "installing: ${missing[*]}"
sudo=; [ "$(id -u)" -eq 0 ] || sudo=sudo
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
