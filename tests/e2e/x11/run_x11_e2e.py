#!/usr/bin/env python3
"""Runs the end-to-end cases of the native program roamlets on a virtual X display.

    python3 -m e2e.x11.run_x11_e2e --roamlets build/native/x11/roamlets --work <folder> [name filter ...]

(from the tests folder, or with it on PYTHONPATH).

Starts an Xvfb of its own and runs the cases in cases/ (all of them, or
those whose id contains one of the filters) with real input through xdotool.
Pictures of the scene go to <folder>/screenshots. Exits 0 only when every
case passed; a missing program is a failure, never a skip."""

import argparse
import os
import sys
import time
import unittest

from e2e.harness.runs import longest_waits, selected
from e2e.x11 import session

HERE = os.path.dirname(os.path.abspath(__file__))
TESTS = os.path.dirname(os.path.dirname(HERE))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--roamlets", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("filters", nargs="*")
    args = parser.parse_args()

    if not os.access(args.roamlets, os.X_OK):
        print(f"No program at {args.roamlets} (build the roamlets target of the native preset first)")
        return 1

    started = time.monotonic()
    suite = unittest.TestSuite(selected(unittest.TestLoader().discover(os.path.join(HERE, "cases"),
                                                                       top_level_dir=TESTS), args.filters))
    session.start(args.roamlets, args.work)
    try:
        result = unittest.TextTestRunner(verbosity=2, stream=sys.stdout).run(suite)
    finally:
        shots = session.current.shots
        session.close()
    print(f"Whole run: {time.monotonic() - started:.1f} s; pictures in {shots}")
    print("Longest waits:", *longest_waits(), sep="\n  ")
    return 0 if result.wasSuccessful() and result.testsRun > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
