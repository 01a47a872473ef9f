#!/usr/bin/env bash
# A real window run killed with SIGKILL keeps the unsaved song in its recovery file, and the next
# start names it. The window runs on a virtual X display (Xvfb) and gets its keys from xdotool;
# without them the test says so and is skipped (exit code 77).
set -u
zentory=$1
for tool in xvfb-run xdotool; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIPPED: $tool is not installed (apt-get install xvfb xdotool)"
    exit 77
  fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=dummy ZENTORY=$zentory WORK=$work
unset QT_QPA_PLATFORM

xvfb-run -a bash -c '
  set -u
  "$ZENTORY" --config "$WORK" --speech none --midi none --echo >"$WORK/run1.out" 2>&1 &
  pid=$!
  wid=
  for _ in $(seq 300); do
    wid=$(xdotool search --name "ゼントリー" 2>/dev/null | head -n 1)
    [[ -n "$wid" ]] && grep -q "say: 曲を新規作成しました" "$WORK/run1.out" && break
    sleep 0.1
  done
  if [[ -z "$wid" ]]; then echo "the window did not open"; cat "$WORK/run1.out"; kill -9 $pid; exit 1; fi
  # A busy machine may take a while to give the window the focus: try the keys again.
  for _ in 1 2 3; do
    xdotool windowfocus --sync "$wid" 2>/dev/null || true
    sleep 0.5
    xdotool key --clearmodifiers c Return
    for _ in $(seq 30); do
      grep -q "say: 小節\[1\] 拍\[2\] 節\[1\]" "$WORK/run1.out" && break 2
      sleep 0.1
    done
  done
  for _ in $(seq 150); do
    ls "$WORK"/recovery-*.mid >/dev/null 2>&1 && break
    sleep 0.1
  done
  sleep 0.2
  kill -9 $pid
  wait $pid 2>/dev/null
  exit 0
' || exit 1

if ! grep -q "say: 小節\[1\] 拍\[2\] 節\[1\]" "$work/run1.out"; then
  echo "the keys did not reach the window:"
  cat "$work/run1.out"
  exit 1
fi
if ! ls "$work"/recovery-*.mid >/dev/null 2>&1; then
  echo "no recovery file after the kill"
  ls -l "$work"
  exit 1
fi
if [[ -e "$work/setup.ini" ]]; then
  echo "the killed run wrote setup.ini: it was not killed"
  exit 1
fi

xvfb-run -a "$zentory" --config "$work" --speech none --midi none --echo --quit-after 3000 \
  >"$work/run2.out" 2>&1
if ! grep -q "say: 曲を新規作成しました。小節\[1\] 拍\[1\] 節\[1\] 前回保存されなかった曲があります。シフト コントロール Oで復元できます。" "$work/run2.out"; then
  echo "the next start did not name the recovery file:"
  cat "$work/run2.out"
  exit 1
fi

# A logout sends SIGTERM: the window ends as its close box would, and keeps the unsaved song.
rm -f "$work"/recovery-*
xvfb-run -a bash -c '
  set -u
  "$ZENTORY" --config "$WORK" --speech none --midi none --echo >"$WORK/run3.out" 2>&1 &
  pid=$!
  wid=
  for _ in $(seq 300); do
    wid=$(xdotool search --name "ゼントリー" 2>/dev/null | head -n 1)
    [[ -n "$wid" ]] && grep -q "say: 曲を新規作成しました" "$WORK/run3.out" && break
    sleep 0.1
  done
  for _ in 1 2 3; do
    xdotool windowfocus --sync "$wid" 2>/dev/null || true
    sleep 0.5
    xdotool key --clearmodifiers d Return
    for _ in $(seq 30); do
      grep -q "say: 小節\[1\] 拍\[2\] 節\[1\]" "$WORK/run3.out" && break 2
      sleep 0.1
    done
  done
  kill -TERM $pid
  wait $pid
' || { echo "the terminated run failed"; cat "$work/run3.out"; exit 1; }
if ! ls "$work"/recovery-*.mid >/dev/null 2>&1; then
  echo "no recovery file after SIGTERM"
  cat "$work/run3.out"
  exit 1
fi
echo "recovered after kill -9 and after SIGTERM"
