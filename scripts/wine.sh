#!/usr/bin/env bash
# Runs Windows programs under Wine in a private prefix with its own Xvfb.
#   wine.sh STATE_DIR start        create the prefix once, start Xvfb and a persistent wineserver
#   wine.sh STATE_DIR stop         end both
#   wine.sh STATE_DIR run PROG...  run a program there (starting what is missing first)
#   wine.sh STATE_DIR env          print the environment to source for wine, reg, wineserver
# Never touches ~/.wine. XVFB_SCREEN sets the screen's size (WIDTHxHEIGHT), for a wizard at a
# high DPI; it counts when Xvfb starts.
set -euo pipefail
state=$(mkdir -p "$1" && cd "$1" && pwd); cmd=$2; shift 2
export WINEPREFIX="$state/prefix" WINEDEBUG=${WINEDEBUG:--all} WINEARCH=win64
# No Mono or Gecko: the installer needs neither, and their install prompts would block a headless run.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Where the toolbar installer's stand-in notes that it was started. The installer has the
# desktop shell start it, so the whole session must know the name, not only the test process.
export KORVANE_TOOLBAR_LOG='C:\kvtest_toolbar.log'

xvfb_alive() { [ -s "$state/xvfb.pid" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null; }

start() {
  exec 9>"$state/lock"; flock 9
  if ! xvfb_alive; then
    rm -f "$state/display"
    Xvfb -displayfd 8 -screen 0 "${XVFB_SCREEN:-1280x1024}x24" -nolisten tcp -noreset 8>"$state/display" 9>&- </dev/null >/dev/null 2>&1 &
    echo $! >"$state/xvfb.pid"
    for _ in $(seq 100); do [ -s "$state/display" ] && break; sleep 0.05; done
    [ -s "$state/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
  fi
  export DISPLAY=":$(head -n1 "$state/display")"
  if [ ! -f "$state/prefix/.ready" ]; then
    wineboot -i 9>&- </dev/null >/dev/null 2>&1
    wineserver -w
    touch "$state/prefix/.ready"
  fi
  # Wine's own fonts (MS Sans Serif, Tahoma ...) are not put into a new prefix here; without them
  # every dialog font falls back to a much wider one and fixed-size captions are cut.
  fonts="$state/prefix/drive_c/windows/Fonts"
  if [ -d /usr/share/wine/fonts ] && [ ! -e "$fonts/sserife.fon" ]; then cp -n /usr/share/wine/fonts/* "$fonts/"; fi
  # wineboot links the profile's folders (Desktop ...) to $HOME: make them real folders, so that
  # nothing a program writes there (a desktop shortcut) lands outside the build tree.
  for d in "$state"/prefix/drive_c/users/*/{Desktop,Documents,Downloads,Music,Pictures,Videos}; do
    if [ -L "$d" ]; then rm "$d" && mkdir "$d"; fi
  done
  # Persistent, so each test process starts fast. It must not hold the caller's output open
  # (ctest would wait for it), and it may already be running.
  wineserver -p 9>&- </dev/null >/dev/null 2>&1 || true
  flock -u 9
}

case "$cmd" in
  start) start ;;
  stop)
    wineserver -k 2>/dev/null || true
    if xvfb_alive; then kill "$(cat "$state/xvfb.pid")"; fi
    rm -f "$state/xvfb.pid" ;;
  run)
    xvfb_alive && [ -f "$state/prefix/.ready" ] || start
    export DISPLAY=":$(head -n1 "$state/display")"
    # Wine's system processes, started on demand by the first program, outlive it and inherit its
    # output; ctest would then wait on them for ever. So the program writes to a file of its own.
    out=$(mktemp)
    set +e
    wine "$@" </dev/null >"$out" 2>&1
    rc=$?
    set -e
    cat "$out"
    rm -f "$out"
    exit $rc ;;
  env)
    xvfb_alive && [ -f "$state/prefix/.ready" ] || start >&2
    echo "export WINEPREFIX='$WINEPREFIX' WINEDEBUG='$WINEDEBUG' WINEARCH=win64 WINEDLLOVERRIDES='$WINEDLLOVERRIDES' KORVANE_TOOLBAR_LOG='$KORVANE_TOOLBAR_LOG' DISPLAY=':$(head -n1 "$state/display")'" ;;
  *) echo "usage: wine.sh STATE_DIR start|stop|run|env" >&2; exit 2 ;;
esac
