#!/usr/bin/env bash
# Builds both presets and runs every test in one ctest run (host tests natively, Windows tests under
# Wine); then builds the release installer a second time in another folder, which must give the
# same bytes (scripts/check-reproducible.sh). Either failing fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
status=0
ctest --preset windows "$@" || status=1
scripts/check-reproducible.sh || status=1
exit $status
