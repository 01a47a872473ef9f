#!/usr/bin/python3
"""zentory-smf.exe under wine reads and writes every file byte for byte as the Linux build does.

usage: smf_same.py LINUX_SMF WINDOWS_SMF WINE_RUN TESTDATA_DIR WORK_DIR

For the public files (skipped when the folder is absent) and hand-made ones (the songs of
mido_check.py at several divisions and both formats, and a song with Japanese texts saved under a
Japanese name), `dump` must print the same lines and reports, `convert` must end the same way and
write the same bytes. Both programs get the same paths: under wine a path from / is one on drive
Z:, whose root is the file system's.
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "smf"))
import mido_check  # noqa: E402
import testdata  # noqa: E402


def run(args):
    r = subprocess.run(args, capture_output=True, check=False)
    return r.returncode, r.stdout, r.stderr


def main():
    linux, windows, wine, data_root, work = sys.argv[1:6]
    os.makedirs(work, exist_ok=True)
    sources = []
    for seed, division, file_type in [(1, 480, 1), (3, 96, 1), (4, 480, 0), (5, 1920, 0)]:
        path = os.path.join(work, f"made_{seed}.mid")
        mido_check.write(path, seed, division, file_type)
        sources.append(path)
    folder = os.path.join(work, "曲")
    os.makedirs(folder, exist_ok=True)
    japanese = os.path.join(folder, "ふるさと.mid")
    mido_check.write(japanese, 7, 480, 1)
    sources.append(japanese)
    sources.append(os.path.join(work, "missing.mid"))
    public = os.path.join(os.environ.get("ZENTORY_TESTDATA") or data_root, "midi")
    have_public = os.path.isdir(public)
    if have_public:
        for base, _, names in os.walk(public):
            sources += [os.path.join(base, n) for n in sorted(names)]

    failures = 0
    for n, source in enumerate(sources):
        for command in ("dump", "convert"):
            outs = []
            for tool, prefix in ((linux, []), (windows, [wine])):
                target = os.path.join(work, f"out_{n}_{len(outs)}_ふ.mid")
                args = prefix + [tool, command, source] + ([target] if command == "convert" else [])
                rc, out, err = run(args)
                written = b""
                if command == "convert" and os.path.exists(target):
                    with open(target, "rb") as f:
                        written = f.read()
                    os.remove(target)
                outs.append((rc, out, err.replace(target.encode(), b"OUT"), written))
            if outs[0] != outs[1]:
                failures += 1
                names = ("exit code", "standard output", "standard error", "written file")
                differ = [names[i] for i in range(4) if outs[0][i] != outs[1][i]]
                print(f"differs: {command} {source}: {', '.join(differ)}")
    print(f"{len(sources)} files, {failures} differences")
    if failures:
        return 1
    if not have_public:
        print(f"skipped: no test data at {public} (set ZENTORY_TESTDATA to the testdata folder)")
        return testdata.SKIP
    return 0


if __name__ == "__main__":
    sys.exit(main())
