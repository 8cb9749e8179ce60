#!/usr/bin/env python3
"""Runs the end-to-end cases of the Windows screen saver under Wine.

    python3 -m e2e.wine.run_e2e --win64-build build/win64 --work <folder> [name filter ...]

(from the tests folder, or with it on PYTHONPATH).

Takes Roamlets.scr and the test programs from the win64 build folder, starts
a virtual display and one Wine prefix template, and runs the cases in
cases/ (all of them, or those whose id contains one of the filters). Pictures
of the scene and of the dialogs go to <folder>/screenshots. Exits 0 only when
every case passed; a missing program is a failure, never a skip."""

import argparse
import os
import sys
import time
import unittest

from e2e.harness.runs import longest_waits, selected
from e2e.wine import config, session

HERE = os.path.dirname(os.path.abspath(__file__))
TESTS = os.path.dirname(os.path.dirname(HERE))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--win64-build", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("filters", nargs="*")
    args = parser.parse_args()

    config.current = config.Config(args.win64_build, args.work)
    missing = config.current.missing_programs()
    if missing:
        print("Missing Windows programs (build the win64 preset first):", *missing, sep="\n  ")
        return 1

    started = time.monotonic()
    loader = unittest.TestLoader()
    suite = unittest.TestSuite(selected(loader.discover(os.path.join(HERE, "cases"), top_level_dir=TESTS),
                                        args.filters))
    try:
        result = unittest.TextTestRunner(verbosity=2, stream=sys.stdout).run(suite)
    finally:
        shared = session.close()
    if shared:
        print(f"Prefix template: {shared.template_seconds:.1f} s; prefixes copied: {shared.prefixes}; "
              f"whole run: {time.monotonic() - started:.1f} s; pictures in {config.current.shots}")
    print("Longest waits:", *longest_waits(), sep="\n  ")
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
