#!/usr/bin/env bash
# Runs a program under Wine on a Japanese system (code page 932): the locale is generated into
# STATE_DIR (no system-wide change), and the prefix and its Xvfb are STATE_DIR's own.
#   japanese.sh STATE_DIR PROGRAM ARGS...
set -euo pipefail
state=$1; shift
wine_sh="$(dirname "$0")/../../../scripts/wine.sh"
mkdir -p "$state/locale"
[ -d "$state/locale/ja_JP.UTF-8" ] || localedef -i ja_JP -f UTF-8 "$state/locale/ja_JP.UTF-8"
japanese=(env LOCPATH="$state/locale" LC_ALL=ja_JP.UTF-8)
status=0
"${japanese[@]}" "$wine_sh" "$state" run "$@" || status=$?
"${japanese[@]}" "$wine_sh" "$state" stop
exit $status
