#!/usr/bin/env bash
# The package a user unzips (dist/zentory-windows-x64.zip, made by scripts/build-windows): what it
# holds, the Japanese README's encoding, and the unpacked program answering keys under wine.
# Skipped (exit 77) with a message before the package has been made.
# usage: package_check.sh WINE_RUN ZIP
set -u
wine_run=$1
zip=$2
if [[ ! -f "$zip" ]]; then
  echo "package check skipped: $zip is not there yet (scripts/build-windows makes it)"
  exit 77
fi
if ! command -v unzip >/dev/null; then
  echo "package check skipped: unzip is missing"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() {
  echo "$*"
  status=1
}
unzip -q "$zip" -d "$work" || fail "the zip does not unpack"
root=$work/zentory-windows-x64
for f in zentory.exe zentory-smf.exe data/menu.wav README-ja.txt licenses/gcc-runtime.txt \
  licenses/mingw-w64-runtime.txt; do
  [[ -s "$root/$f" ]] || fail "the package has no $f"
done
[[ $(head -c 3 "$root/README-ja.txt" | od -An -tx1 | tr -d ' ') == efbbbf ]] ||
  fail "README-ja.txt does not start with the UTF-8 byte-order mark"
grep -q 'ゼントリー (Zentory)' "$root/README-ja.txt" || fail "README-ja.txt does not name ゼントリー (Zentory)"
grep -q -- '--speech screenreader' "$root/README-ja.txt" || fail "README-ja.txt lacks the screen-reader option"

# Started from another folder, the unpacked program finds its data and answers keys.
printf 'Ctrl+Alt+V\nCtrl+Q\n' >"$work/keys.txt"
out=$(cd "$work" && "$wine_run" "$root/zentory.exe" --script keys.txt 2>"$work/err")
rc=$?
[[ $rc == 0 && $out == *'バージョン1.09'* ]] ||
  fail "the unpacked zentory.exe: exit $rc, said: $out $(cat "$work/err")"
exit $status
