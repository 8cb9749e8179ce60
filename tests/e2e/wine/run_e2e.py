#!/usr/bin/env python3
"""Runs the end-to-end cases of the Windows screen saver under Wine.

    python3 -m e2e.wine.run_e2e --win64-build build/win64 --work <folder> [name filter ...]
        [--32-bit-setup | --32-bit-prefix build/win32]

(from the tests folder, or with it on PYTHONPATH).

Takes Roamlets.scr, the test programs and the package step's setup from the
win64 build folder, starts a virtual display and one Wine prefix template,
and runs the cases in cases/ (all of them, or those whose id contains one of
the filters). Pictures of the scene and of the dialogs go to
<folder>/screenshots. Exits 0 only when every case passed; a missing program
is a failure, never a skip.

The setup's cases run its 64-bit build of the same script unless asked for
the 32-bit setup people download: --32-bit-setup runs them with it in a
64-bit prefix, --32-bit-prefix in a 32-bit one (WINEARCH=win32) with the
driver of that win32 build. Those runs take the setup's cases only, and end
with 77, not run, where this machine runs no 32-bit code."""

import argparse
import os
import sys
import time
import unittest

from e2e.harness.runs import longest_waits, selected
from e2e.wine import config, session

HERE = os.path.dirname(os.path.abspath(__file__))
TESTS = os.path.dirname(os.path.dirname(HERE))
NOT_RUN = 77


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--win64-build", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("filters", nargs="*")
    setup32 = parser.add_mutually_exclusive_group()
    setup32.add_argument("--32-bit-setup", dest="setup32", action="store_true")
    setup32.add_argument("--32-bit-prefix", dest="win32_build")
    args = parser.parse_args()

    config.current = config.Config(args.win64_build, args.work, args.setup32, args.win32_build)
    if config.current.setup32 and not config.runs_32_bit_code():
        print(f"this machine cannot run 32-bit programs (its kernel refuses {config.WINE32}): "
              "the 32-bit setup's cases are not run")
        return NOT_RUN
    missing = config.current.missing_programs()
    if missing:
        print("Missing Windows programs (build the win64 and win32 presets and the win64 package first):",
              *missing, sep="\n  ")
        return 1

    started = time.monotonic()
    loader = unittest.TestLoader()
    cases = "test_setup.py" if config.current.setup32 else "test*.py"
    suite = unittest.TestSuite(selected(loader.discover(os.path.join(HERE, "cases"), cases, top_level_dir=TESTS),
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
