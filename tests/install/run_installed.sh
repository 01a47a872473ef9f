#!/usr/bin/env bash
# Installs the build tree into a temporary prefix and runs the installed zentory in key-script
# mode from a folder of its own: the settings go to the folder --config or --user-config names
# and nowhere else, the shipped menu.wav is found from the binary's location, and the desktop
# entry and the manual pages are in place. HOME and XDG_CONFIG_HOME point into the temporary
# folder throughout, so no run can touch the real settings.
# Usage: run_installed.sh BUILD_DIR
set -u
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/xdg" SDL_AUDIODRIVER=dummy
mkdir -p "$HOME" "$work/run"
status=0
fail() {
  echo "FAIL: $*"
  status=1
}

prefix="$work/prefix"
if ! cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
  cat "$work/install.log"
  echo "FAIL: cmake --install"
  exit 1
fi
for f in bin/zentory bin/zentory-smf share/zentory/menu.wav share/applications/zentory.desktop \
  share/icons/hicolor/scalable/apps/zentory.svg share/man/man1/zentory.1 \
  share/man/man1/zentory-smf.1; do
  [[ -f "$prefix/$f" ]] || fail "not installed: $f"
done
desktop="$prefix/share/applications/zentory.desktop"
grep -qx 'Exec=zentory --user-config' "$desktop" || fail "desktop entry: Exec"
grep -qx 'Name\[ja\]=ゼントリー' "$desktop" || fail "desktop entry: Japanese name"
grep -q '^Categories=.*Audio;.*Midi;.*Accessibility;' "$desktop" || fail "desktop entry: categories"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" | grep -v ': hint: ' | grep . && fail "desktop entry not valid"
fi
for option in --script --echo --speech --midi --midi-log --config --user-config --reading; do
  grep -qF -- "${option//-/\\-}" "$prefix/share/man/man1/zentory.1" ||
    fail "zentory.1 does not list $option"
done
for command in dump convert render; do
  grep -q "zentory\\\\-smf $command\|^\.BI $command" "$prefix/share/man/man1/zentory-smf.1" ||
    fail "zentory-smf.1 does not list $command"
done

zentory="$prefix/bin/zentory"
printf 'Alt\nEscape\n' >"$work/run/keys.txt"
# One run in $work/run: the menu opens (its sound starts) and closes. Standard error in $work/err.
run() {
  (cd "$work/run" && "$zentory" "$@" --midi embedded --script keys.txt >"$work/out" 2>"$work/err")
}
# The files of $work outside the prefix, less the script, so a stray write shows up.
written() {
  (cd "$work" && find . -path ./prefix -prune -o -type f -print | grep -v -e '^./run/keys.txt$' \
    -e '^./out$' -e '^./err$' -e '^./install.log$' | sort)
}
expect_written() {
  local got
  got=$(written | tr '\n' ' ')
  [[ "$got" == "$1" ]] || fail "$2: files written: '$got', expected '$1'"
}
size() { stat -c %s "$1" 2>/dev/null || echo missing; }

# --config: the settings and keys are written there and nowhere else; the shipped sound plays.
cfg="$work/cfg/project"
run --config "$cfg" || fail "--config run: exit code $?"
grep -q '^box:' "$work/err" && fail "--config run reported: $(cat "$work/err")"
[[ $(size "$cfg/setup.ini") == 284 ]] || fail "setup.ini in --config: $(size "$cfg/setup.ini")"
[[ $(size "$cfg/shortcut.dat") == 28708 ]] || fail "shortcut.dat in --config"
[[ $(stat -c %a "$cfg") == 700 ]] || fail "--config folder mode $(stat -c %a "$cfg")"
expect_written "./cfg/project/setup.ini ./cfg/project/shortcut.dat " "--config"

# Without the shipped sound the menu reports it: the run above did find the data folder.
mv "$prefix/share/zentory/menu.wav" "$work/shipped.wav"
run --config "$cfg"
if ! grep -q '^box: WAVE' "$work/err"; then
  if grep -q 'SDL2' "$work/err"; then
    echo "SKIP: no audio device, even SDL's dummy one: $(cat "$work/err")"
    exit 77
  fi
  fail "a missing shipped menu.wav went unreported: $(cat "$work/err")"
fi
# A menu.wav of the user's own beside setup.ini plays in its place...
cp "$work/shipped.wav" "$cfg/menu.wav"
run --config "$cfg"
grep -q '^box:' "$work/err" && fail "the user's menu.wav was not used: $(cat "$work/err")"
# ...and wins over the shipped one even when it is damaged: its fault is reported.
mv "$work/shipped.wav" "$prefix/share/zentory/menu.wav"
echo "not a wave file" >"$cfg/menu.wav"
run --config "$cfg"
grep -q "^box:" "$work/err" || fail "a damaged menu.wav of the user's went unreported"
rm -rf "$work/cfg"

# --user-config: $XDG_CONFIG_HOME/zentory, created private with its parents.
XDG_CONFIG_HOME="$work/xdg/deeper" run --user-config || fail "--user-config run: exit code $?"
[[ $(size "$work/xdg/deeper/zentory/setup.ini") == 284 ]] || fail "setup.ini in XDG_CONFIG_HOME"
[[ $(stat -c %a "$work/xdg/deeper/zentory") == 700 ]] || fail "--user-config folder mode"
expect_written "./xdg/deeper/zentory/setup.ini ./xdg/deeper/zentory/shortcut.dat " "--user-config"
rm -rf "$work/xdg"
# ...or ~/.config/zentory when the variable is empty.
XDG_CONFIG_HOME= run --user-config || fail "--user-config with HOME: exit code $?"
expect_written "./home/.config/zentory/setup.ini ./home/.config/zentory/shortcut.dat " \
  "--user-config with an empty XDG_CONFIG_HOME"
# A setting changed in one folder is in force when the program starts from another one.
printf 'Ctrl+Shift+R\n' >"$work/run/keys.txt"
XDG_CONFIG_HOME= run --user-config
mkdir -p "$work/elsewhere"
printf 'Ctrl+L\n' >"$work/elsewhere/keys.txt"
(cd "$work/elsewhere" && XDG_CONFIG_HOME= "$zentory" --user-config --script keys.txt >"$work/out")
grep -qx 'say: 1 1 1' "$work/out" || fail "abbreviated reading not kept: $(cat "$work/out")"
[[ $(ls "$work/elsewhere") == keys.txt ]] || fail "a run elsewhere wrote there: $(ls "$work/elsewhere")"
rm -rf "$work/home/.config" "$work/elsewhere"
printf 'Alt\nEscape\n' >"$work/run/keys.txt"

# A user folder that cannot be made: said once, the run goes on with the defaults, writes nothing.
touch "$work/blocker"
XDG_CONFIG_HOME="$work/blocker" run --user-config || fail "unusable --user-config: exit code $?"
[[ $(grep -c '設定フォルダー' "$work/err") == 1 ]] || fail "unusable folder not said once: $(cat "$work/err")"
grep -q '^say: 曲を新規作成しました' "$work/out" || fail "unusable folder: the run did not go on"
rm -f "$work/blocker"
expect_written "" "an unusable --user-config"

# Without an option the current directory keeps the settings, as always.
run || fail "plain run: exit code $?"
expect_written "./run/setup.ini ./run/shortcut.dat " "no option"
rm -f "$work/run/setup.ini" "$work/run/shortcut.dat"

# The user's readings follow --config (when this build has the embedded voice).
mkdir -p "$work/cfg"
printf 'Bach\tバッハ\n' >"$work/cfg/readings.txt"
reading=$(cd "$work/run" && "$zentory" --config "$work/cfg" --reading 'Bach' 2>/dev/null)
if [[ $? == 0 && "$reading" != *バッハ* ]]; then fail "readings.txt of --config not used: $reading"; fi

exit $status
