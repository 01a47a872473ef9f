#!/usr/bin/env bash
# The Windows window under wine on a virtual display: it opens titled ゼントリー, answers Ctrl+Alt+V
# with the version, keeps Return and Escape for the program, hands the keyboard to the text-input
# and open dialogs and takes it back after them, and quits with Ctrl+Q; no box opens on the way
# (wine has neither an audio nor a MIDI device here). Skipped (exit 77) with a message where Xvfb,
# xdotool or wine is missing.
# usage: window_smoke.sh WINE_RUN ZENTORY.exe
set -u
wine_run=$1
zentory=$2
for tool in Xvfb xdotool wine; do
  if ! command -v "$tool" >/dev/null; then
    echo "window smoke test skipped: $tool is missing"
    exit 77
  fi
done
work=$(mktemp -d)
display=:$((90 + RANDOM % 400))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
app=
cleanup() {
  [[ -n "$app" ]] && kill "$app" 2>/dev/null
  kill "$xvfb" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "$*"
  echo "--- standard output:"
  cat "$work/out"
  echo "--- standard error:"
  cat "$work/err"
  exit 1
}
# wine's desktop process belongs to the prefix's server and keeps the display it started with: a
# server left from a run without a display is waited out first (ctest runs this test alone).
prefix=${ZENTORY_WINEPREFIX:-$(dirname "$wine_run")/../build/wineprefix}
WINEPREFIX=$prefix wineserver -w 2>/dev/null
for _ in $(seq 50); do
  DISPLAY=$display xdotool getmouselocation >/dev/null 2>&1 && break
  sleep 0.2
done

# wine-run clears DISPLAY for console programs; the window needs it back.
(cd "$work" && exec env ZENTORY_WINE_DISPLAY="$display" "$wine_run" "$zentory" --echo \
  --midi none --speech none >"$work/out" 2>"$work/err") &
app=$!

window=
for _ in $(seq 150); do
  window=$(DISPLAY=$display xdotool search --name 'ゼントリー' 2>/dev/null | head -n 1)
  [[ -n "$window" ]] && grep -q '曲を新規作成しました' "$work/out" && break
  sleep 0.2
done
[[ -n "$window" ]] || fail "no window titled ゼントリー appeared"
# Any other visible window would be a box nobody asked for (boxes carry the same title).
names=$(DISPLAY=$display xdotool search --onlyvisible --name '.' getwindowname %@ 2>/dev/null |
  grep -v '^$')
[[ $names == 'ゼントリー' ]] || fail "windows besides the main window are open: $names"

DISPLAY=$display xdotool windowactivate --sync "$window" 2>/dev/null ||
  DISPLAY=$display xdotool windowfocus --sync "$window"
sleep 0.5
DISPLAY=$display xdotool key --clearmodifiers ctrl+alt+v
for _ in $(seq 50); do
  grep -q 'バージョン1.09' "$work/out" && break
  sleep 0.2
done
grep -q 'バージョン1.09' "$work/out" || fail "Ctrl+Alt+V did not answer with バージョン1.09"

# Return and Escape go to the program, not to the dialog: the window stays.
DISPLAY=$display xdotool key Return Escape
sleep 1
DISPLAY=$display xdotool search --name 'ゼントリー' >/dev/null 2>&1 ||
  fail "Return or Escape closed the window"

# wait_for TEXT: until the program has said TEXT (twenty seconds at most).
wait_for() {
  for _ in $(seq 100); do
    grep -q "$1" "$work/out" && return 0
    sleep 0.2
  done
  return 1
}
# wait_window TITLE: the window id of TITLE once it is there.
wait_window() {
  local id
  for _ in $(seq 100); do
    id=$(DISPLAY=$display xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
    if [[ -n "$id" ]]; then
      echo "$id"
      return 0
    fi
    sleep 0.2
  done
  return 1
}

# The text-input dialog takes the keys while it is open; its text comes back as the marker, and
# the keyboard is the main window's again afterwards.
DISPLAY=$display xdotool key --clearmodifiers ctrl+alt+m
dialog=$(wait_window 'テキスト入力') || fail "Ctrl+Alt+M opened no テキスト入力 dialog"
DISPLAY=$display xdotool windowfocus --sync "$dialog" 2>/dev/null
DISPLAY=$display xdotool type --delay 50 'intro'
DISPLAY=$display xdotool key Return
wait_for 'マーカー「intro」を挿入しました' || fail "the typed marker was not inserted"
before=$(grep -c 'バージョン1.09' "$work/out")
DISPLAY=$display xdotool key --clearmodifiers ctrl+alt+v
sleep 1
[[ $(grep -c 'バージョン1.09' "$work/out") -gt $before ]] ||
  fail "after the text-input dialog the keys no longer reach the program"

# The open dialog: cancelled with Escape, nothing is loaded, and the keys come back. The marker
# left the song changed, so the first Ctrl+O only asks to be pressed again.
DISPLAY=$display xdotool key --clearmodifiers ctrl+o
wait_for '保存せずにファイルを読み込むには' || fail "Ctrl+O on a changed song did not ask first"
DISPLAY=$display xdotool key --clearmodifiers ctrl+o
open=$(wait_window '開く') || fail "Ctrl+O opened no 開く dialog"
# The dialog fills its folder view before it takes keys.
sleep 2
DISPLAY=$display xdotool windowfocus --sync "$open" 2>/dev/null
DISPLAY=$display xdotool key Escape
wait_for 'ファイルを読み込みませんでした。' || fail "cancelling the open dialog was not announced"
before=$(grep -c 'バージョン1.09' "$work/out")
DISPLAY=$display xdotool key --clearmodifiers ctrl+alt+v
sleep 1
[[ $(grep -c 'バージョン1.09' "$work/out") -gt $before ]] ||
  fail "after the open dialog the keys no longer reach the program"

DISPLAY=$display xdotool key --clearmodifiers ctrl+q
wait_for '保存せずに終了するには' || fail "Ctrl+Q on a changed song did not ask first"
DISPLAY=$display xdotool key --clearmodifiers ctrl+q
for _ in $(seq 100); do
  kill -0 "$app" 2>/dev/null || break
  sleep 0.2
done
kill -0 "$app" 2>/dev/null && fail "the program still runs 20 s after Ctrl+Q"
wait "$app"
rc=$?
app=
grep -q '終了します。' "$work/out" || fail "Ctrl+Q did not announce 終了します。"
[[ $rc == 0 ]] || fail "exit code $rc after Ctrl+Q"
echo "window smoke test passed"
