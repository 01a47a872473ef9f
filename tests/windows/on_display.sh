#!/usr/bin/env bash
# Runs a Windows program under wine on its own virtual display (Xvfb), for tests that make
# windows. Skipped (exit 77) with a message where Xvfb or wine is missing.
# usage: on_display.sh WINE_RUN PROGRAM.exe [ARGS...]
set -u
wine_run=$1
shift
for tool in Xvfb wine; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: $tool is missing"
    exit 77
  fi
done
display=:$((500 + RANDOM % 400))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait 2>/dev/null' EXIT
sleep 1
# wine's desktop process keeps the display of the server it started with (see window_smoke.sh).
prefix=${ZENTORY_WINEPREFIX:-$(dirname "$wine_run")/../build/wineprefix}
WINEPREFIX=$prefix wineserver -w 2>/dev/null
ZENTORY_WINE_DISPLAY=$display "$wine_run" "$@"
