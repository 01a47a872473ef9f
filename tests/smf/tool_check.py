#!/usr/bin/python3
"""Runs zentory-smf as a user would. usage: tool_check.py ZENTORY_SMF TESTDATA_DIR WORK_DIR"""
import os
import re
import subprocess
import sys

import testdata


def run(*args):
    return subprocess.run(list(args), capture_output=True, text=True, check=False)


def main():
    tool, work = sys.argv[1], sys.argv[3]
    data = testdata.folder(sys.argv[2])
    os.makedirs(work, exist_ok=True)
    scale, out = os.path.join(data, "test-c-major-scale.mid"), os.path.join(work, "scale.mid")

    r = run(tool, "dump", scale)
    assert r.returncode == 0 and r.stderr == "", r.stderr
    lines = r.stdout.splitlines()
    headers = [l for l in lines if "\t" not in l]
    assert headers == [f"track {i} channel {0 if i == 1 else 255}" for i in range(17)], headers
    notes = [l for l in lines if "\tノート " in l]
    assert notes[0] == "0\tノート 60 480 127" and notes[7].startswith("3360\t"), notes
    assert all(re.fullmatch(r"\d+\t[^\t]+", l) for l in lines if "\t" in l)

    for name, code in [("test-not-a-midi-file.mid", "M1DT03000004"),
                       ("test-empty-file.mid", "M1DT03000004"), ("missing.mid", "GENE01000007")]:
        r = run(tool, "dump", os.path.join(data, name))
        assert r.returncode == 1 and r.stdout == "" and code in r.stderr, (name, r.stderr)
    r = run(tool, "dump", os.path.join(data, "test-running-status-sysex.mid"))
    assert r.returncode == 0 and r.stderr.startswith("box: MDTK0D00002A "), r.stderr
    assert len([l for l in r.stdout.splitlines() if "\tノート " in l]) == 8

    r = run(tool, "convert", scale, out)
    assert r.returncode == 0 and r.stderr == "", r.stderr
    with open(out, "rb") as f:
        head = f.read(14)
    assert head == b"MThd\0\0\0\x06\0\x01\0\x11\x01\xe0", head
    assert [l for l in run(tool, "dump", out).stdout.splitlines() if "\tノート " in l] == notes
    r = run(tool, "convert", scale, os.path.join(work, "no", "dir.mid"))
    assert r.returncode == 1 and "GENE01000007" in r.stderr, r.stderr
    r = run(tool, "convert", os.path.join(data, "test-not-a-midi-file.mid"), out)
    with open(out, "rb") as f:
        assert r.returncode == 1 and f.read(14) == head, "the previous file stays"
    assert run(tool, "frobnicate").returncode == 2
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
