#!/usr/bin/env bash
# Runs of the Windows programs that have no Linux twin to compare with: the MIDI device list,
# --user-config's folder under %APPDATA%, and render in a build without the synth.
# usage: tool_runs.sh WINE_RUN ZENTORY.exe ZENTORY_SMF.exe
set -u
wine_run=$1
zentory=$2
smf=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() {
  echo "$*"
  status=1
}

# wine has no MIDI output here: the list says so and the program ends well.
out=$("$wine_run" "$zentory" --midi list 2>"$work/err")
rc=$?
[[ $rc == 0 && $out == "(no MIDI output devices)" ]] || fail "--midi list: exit $rc, said: $out"

# --user-config keeps the settings in %APPDATA%\Zentory, made on the first start; wine's APPDATA
# is the prefix's own.
prefix=${ZENTORY_WINEPREFIX:-$(dirname "$wine_run")/../build/wineprefix}
rm -rf "$prefix"/drive_c/users/*/AppData/Roaming/Zentory
printf 'Ctrl+Q\n' >"$work/quit.keys"
(cd "$work" && "$wine_run" "$zentory" --user-config --script quit.keys >/dev/null 2>&1)
rc=$?
folder=$(ls -d "$prefix"/drive_c/users/*/AppData/Roaming/Zentory 2>/dev/null | head -n 1)
[[ $rc == 0 && -n "$folder" ]] || fail "--user-config: exit $rc, no Zentory folder under APPDATA"
if [[ -n "$folder" ]]; then
  [[ $(stat -c %s "$folder/shortcut.dat" 2>/dev/null) == 28708 ]] ||
    fail "--user-config: no shortcut.dat of 28708 bytes in $folder"
  [[ $(stat -c %s "$folder/setup.ini" 2>/dev/null) == 284 ]] ||
    fail "--user-config: no setup.ini of 284 bytes in $folder"
fi
[[ ! -e "$work/setup.ini" ]] || fail "--user-config wrote setup.ini into the current folder"

# --reading prints what the SAPI voice is given: NFKC and the user's readings; a bad line of
# readings.txt is named on standard error.
mkdir -p "$work/readings"
printf '鈴木\tすずき\nbad line\n' >"$work/readings/readings.txt"
out=$(cd "$work/readings" && "$wine_run" "$zentory" --reading '鈴木のﾊﾞｰｼﾞｮﾝ' 2>"$work/err")
rc=$?
[[ $rc == 0 && $out == 'すずきのバージョン' ]] || fail "--reading: exit $rc, said: $out"
grep -q '2行目' "$work/err" || fail "--reading: the bad line of readings.txt was not named"

# render needs the embedded synth, which the Windows build does not have yet: one line, exit 2.
"$wine_run" "$smf" render "$work/a.mid" "$work/a.wav" >"$work/out" 2>"$work/err"
rc=$?
[[ $rc == 2 && $(cat "$work/err") == "zentory-smf: render: this build has no embedded synth" ]] ||
  fail "render: exit $rc, said: $(cat "$work/err")"
exit $status
