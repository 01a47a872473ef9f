#!/usr/bin/python3
"""Runs zentory-smf as a user would: exit codes, output layout and reports.

usage: tool_check.py ZENTORY_SMF TESTDATA_MIDI_DIR WORK_DIR
"""
import os
import re
import subprocess
import sys

BOX = re.compile(r"^box: (GENE|M1DT|M0DT|MDTK|MUEV|M1TK)[0-9A-F]{8} \S")


def run(*args):
    return subprocess.run(list(args), capture_output=True, text=True, check=False)


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def main():
    tool, data, work = sys.argv[1:4]
    os.makedirs(work, exist_ok=True)
    scale = os.path.join(data, "test-c-major-scale.mid")

    r = run(tool, "dump", scale)
    check(r.returncode == 0 and r.stderr == "", f"dump: {r.returncode} {r.stderr}")
    lines = r.stdout.splitlines()
    check(lines[0] == "track 0 channel 255", lines[0])
    headers = [l for l in lines if "\t" not in l]
    check(all(re.fullmatch(r"track \d+ channel \d+", h) for h in headers), headers)
    check(len(headers) == 17, "a format-0 file becomes 17 tracks")
    events = [l.split("\t") for l in lines if "\t" in l]
    check(all(len(e) == 2 and e[0].isdigit() for e in events), "TICK<TAB>NAME")
    notes = [e for e in events if e[1].startswith("ノート ")]
    check([e[0] for e in notes] == [str(480 * i) for i in range(8)], notes)
    check(notes[0][1] == "ノート 60 480 127", notes[0])

    for name, code in [("test-not-a-midi-file.mid", "M1DT03000004"),
                       ("test-2-tracks-type-2.mid", "M1DT03000002")]:
        r = run(tool, "dump", os.path.join(data, name))
        check(r.returncode == 1 and r.stdout == "", f"{name}: exit {r.returncode}")
        check(r.stderr.startswith("box: " + code), r.stderr)
    r = run(tool, "dump", os.path.join(work, "missing.mid"))
    check(r.returncode == 1 and "GENE01000007" in r.stderr, r.stderr)

    # A file that loads with reports: exit 0, every report a box line.
    r = run(tool, "dump", os.path.join(data, "test-running-status-sysex.mid"))
    check(r.returncode == 0, "loads with a report")
    check(r.stderr and all(BOX.match(l) for l in r.stderr.splitlines()), r.stderr)

    out = os.path.join(work, "scale.mid")
    r = run(tool, "convert", scale, out)
    check(r.returncode == 0 and r.stderr == "", r.stderr)
    with open(out, "rb") as f:
        head = f.read(14)
    check(head == b"MThd\0\0\0\x06\0\x01\0\x11\x01\xe0", head)
    again = run(tool, "dump", out)
    check(again.returncode == 0, again.stderr)
    check([l for l in again.stdout.splitlines() if "ノート " in l] ==
          [l for l in lines if "ノート " in l], "converted notes differ")

    r = run(tool, "convert", scale, os.path.join(work, "no", "such", "dir.mid"))
    check(r.returncode == 1 and "GENE01000007" in r.stderr, r.stderr)
    r = run(tool, "convert", os.path.join(data, "test-not-a-midi-file.mid"), out)
    check(r.returncode == 1, "nothing loaded, nothing written")
    with open(out, "rb") as f:
        check(f.read(14) == head, "the previous file stays")
    r = run(tool, "frobnicate")
    check(r.returncode == 2 and "usage" in r.stderr, "usage")
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
