#!/usr/bin/env bash
# Builds both presets and runs every test in one ctest run (host tests natively, Windows tests under Wine).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
ctest --preset windows "$@"
