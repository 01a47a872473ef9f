#!/usr/bin/env bash
# Runs the real zentory in key-script mode for one case folder: every runN.keys in order, in one
# fresh directory (so settings and shortcut.dat carry from run to run), comparing standard output
# with runN.out, standard error with runN.err when that file exists, and the exit code with
# runN.rc (default 0). runN.args holds more options for the run (one line); the folder of the
# run is written WORK in the outputs. A file runN.expect.NAME is compared with the file NAME the
# run left. A "files" list of "NAME SIZE" lines is checked after the last run; a "folders" list
# names folders made in the work folder before the first run.
# ZENTORY_SCRIPT_RUNNER names a program that runs zentory (scripts/wine-run for the Windows
# build); the work folder is then also written WORK where it appears as Windows shows it
# (Z:\tmp\... under wine), with the separators after it turned into "/", so that the same expected
# files serve both builds.
set -u
zentory=$1
case_dir=$2
runner=${ZENTORY_SCRIPT_RUNNER:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
if [[ -f "$case_dir/folders" ]]; then
  while read -r name; do
    [[ -n "$name" ]] && mkdir -p "$work/$name"
  done <"$case_dir/folders"
fi
# The work folder as wine shows it: drive Z: is the root of the file system.
windows_work="Z:${work//\//\\}"
windows_work_pattern=${windows_work//\\/\\\\}
for keys in "$case_dir"/run*.keys; do
  run=$(basename "$keys" .keys)
  cp "$keys" "$work/$run.keys"
  args=()
  [[ -f "$case_dir/$run.args" ]] && read -r -a args <"$case_dir/$run.args"
  (cd "$work" && $runner "$zentory" --script "$run.keys" "${args[@]}" >"$run.stdout" \
    2>"$run.stderr")
  rc=$?
  sed -i "s|$work|WORK|g" "$work/$run.stdout" "$work/$run.stderr"
  if [[ -n "$runner" ]]; then
    sed -i -E "s|$windows_work_pattern|WORK|g; :a; s|(WORK[^ \t\\]*)\\\\|\\1/|; ta" \
      "$work/$run.stdout" "$work/$run.stderr"
  fi
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
  for expect in "$case_dir/$run".expect.*; do
    [[ -e "$expect" ]] || continue
    name=${expect##*/$run.expect.}
    if ! diff -u "$expect" "$work/$name"; then
      echo "$run: $name differs"
      status=1
    fi
  done
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
