"""The folder of the public test files, found through one setting: the environment variable
ZENTORY_TESTDATA, else the default folder the test was given. A script that needs it exits with
SKIP (CTest's SKIP_RETURN_CODE) and says which path it looked at when the folder is absent."""
import os
import sys

SKIP = 77


def folder(default, sub="midi"):
    root = os.environ.get("ZENTORY_TESTDATA") or default
    path = os.path.join(root, sub)
    if not os.path.isdir(path):
        print(f"skipped: no test data at {path} (set ZENTORY_TESTDATA to the testdata folder)")
        sys.exit(SKIP)
    return path
