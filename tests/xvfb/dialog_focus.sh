#!/usr/bin/env bash
# The real window on a bare X server (Xvfb, no window manager): Ctrl+O opens the Japanese open
# dialog, Escape closes it, and the keys reach the main window again (Ctrl+Alt+V is answered).
# Usage: dialog_focus.sh ZENTORY_BINARY WORK_DIR
set -uo pipefail
zentory=$1
work=$2
skip=77
for tool in Xvfb xdotool; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed (scripts/setup installs it)"
    exit $skip
  fi
done
rm -rf "$work" && mkdir -p "$work/settings"
cleanup() {
  [ -n "${app:-}" ] && kill "$app" 2>/dev/null
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
  wait 2>/dev/null
}
trap cleanup EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
if [ ! -s "$work/display" ]; then
  echo "SKIPPED: Xvfb did not start: $(cat "$work/xvfb.log")"
  exit $skip
fi
export DISPLAY=":$(head -n1 "$work/display")"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM

fail() {
  echo "FAILED: $*"
  echo "--- window output"
  cat "$work/out.txt"
  exit 1
}

SDL_AUDIODRIVER=dummy "$zentory" --config "$work/settings" --echo --midi none --speech none \
  --quit-after 60000 >"$work/out.txt" 2>&1 &
app=$!

main=$(timeout 20 xdotool search --sync --name '^ゼントリー$' | head -n1) || fail "no window titled ゼントリー"
# A bare X server gives the keys to the window under the pointer until someone sets the focus.
xdotool windowfocus --sync "$main" || fail "cannot focus the main window"
sleep 0.5

xdotool key ctrl+o
dialog=$(timeout 20 xdotool search --sync --name '^開く$' | head -n1) || fail "no dialog titled 開く after Ctrl+O"
sleep 0.5
[ "$(xdotool getwindowfocus)" = "$dialog" ] || fail "the open dialog does not have the keys"
xdotool key Escape
for _ in $(seq 50); do
  xdotool search --name '^開く$' >/dev/null 2>&1 || break
  sleep 0.1
done
sleep 0.5
focus=$(xdotool getwindowfocus)
[ "$focus" = "$main" ] || fail "the focus did not come back to the main window ($focus, not $main)"

xdotool key ctrl+alt+v
for _ in $(seq 50); do
  grep -q 'say: バージョン' "$work/out.txt" && break
  sleep 0.1
done
grep -q 'say: バージョン' "$work/out.txt" || fail "Ctrl+Alt+V after the dialog was not answered"
echo "PASSED: dialog titled 開く, focus back on ゼントリー, keys answered"
