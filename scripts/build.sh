#!/usr/bin/env bash
# Builds both presets: host first, since the Windows build runs the host tools.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset host >/dev/null
cmake --build --preset host -j "$(nproc)"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)"
