#!/usr/bin/env bash
# Fails when a layer includes from a layer above it:
#   lib  <-  lib/win  <-  payload  <-  engine  <-  wizard  <-  panels  <-  app
# and when a portable file (lib/*, payload/*) includes <windows.h>.
set -euo pipefail
cd "$(dirname "$0")/.."
bad=0
check() {  # check FILES... -- FORBIDDEN-INCLUDE-PATTERN
  local pattern=${!#} files=("${@:1:$#-2}")
  local hits
  hits=$(grep -HnE "#include [\"<]($pattern)" "${files[@]}" 2>/dev/null || true)
  if [ -n "$hits" ]; then echo "$hits"; bad=1; fi
}
shopt -s nullglob
above_engine='wizard/|panels/|app/'
check lib/*.cpp lib/*.h -- "lib/win/|payload/|engine/|$above_engine|windows\.h"
check lib/win/*.cpp lib/win/*.h -- "payload/|engine/|$above_engine"
check payload/*.cpp payload/*.h -- "engine/|$above_engine|windows\.h"
check payload/win/*.cpp payload/win/*.h -- "engine/|$above_engine"
check engine/*.cpp engine/*.h -- "$above_engine"
check wizard/*.cpp wizard/*.h -- 'panels/|app/'
check panels/*.cpp panels/*.h -- 'app/'
[ $bad -eq 0 ] && echo "layers: every include points down"
exit $bad
