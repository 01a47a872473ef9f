#!/usr/bin/env bash
# Runs the real zentory in key-script mode for one case folder: every runN.keys in order, in one
# fresh directory (so settings and shortcut.dat carry from run to run), comparing standard output
# with runN.out, standard error with runN.err when that file exists, and the exit code with
# runN.rc (default 0). A "files" list of "NAME SIZE" lines is checked after the last run.
set -u
zentory=$1
case_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for keys in "$case_dir"/run*.keys; do
  run=$(basename "$keys" .keys)
  cp "$keys" "$work/$run.keys"
  (cd "$work" && "$zentory" --script "$run.keys" >"$run.stdout" 2>"$run.stderr")
  rc=$?
  want_rc=0
  [[ -f "$case_dir/$run.rc" ]] && want_rc=$(cat "$case_dir/$run.rc")
  if [[ $rc != "$want_rc" ]]; then
    echo "$run: exit code $rc, expected $want_rc"
    cat "$work/$run.stderr"
    status=1
  fi
  if ! diff -u "$case_dir/$run.out" "$work/$run.stdout"; then
    echo "$run: standard output differs"
    status=1
  fi
  if [[ -f "$case_dir/$run.err" ]] && ! diff -u "$case_dir/$run.err" "$work/$run.stderr"; then
    echo "$run: standard error differs"
    status=1
  fi
done
if [[ -f "$case_dir/files" ]]; then
  while read -r name size; do
    [[ -z "$name" ]] && continue
    got=$(stat -c %s "$work/$name" 2>/dev/null || echo missing)
    if [[ "$got" != "$size" ]]; then
      echo "$name: size $got, expected $size"
      status=1
    fi
  done <"$case_dir/files"
fi
exit $status
