#!/usr/bin/env python3
"""Soak run of roamlets, the Linux program, under valgrind's memcheck.

    valgrind_soak.py --roamlets build/native/x11/roamlets --work build/soak/valgrind
                     [--seconds 120] [--size 320x240] [--only NAME ...]

Four runs, one after another, on a virtual display of their own: the default
settings and 500 roamlets with 500 chasers, each in a window of its own and
as a hack drawing into a window that this script makes (--window-id). Each
run draws for --seconds once its first frame is up (frames are counted on
the X server; see xserver.FrameCounter), is then ended with SIGTERM, and
passes when the program ends with status 0 and memcheck finished and reports
no error at all: no invalid access, no use of uninitialised values and no
definitely or indirectly lost block. Reports that arise wholly inside system
libraries are suppressed by tests/soak/valgrind.supp, which must not name our
own code. Each run's valgrind XML and log, the program's output and a last
picture go to <work>/<run>/."""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import time
from collections import namedtuple

import growth
import memcheck
import xserver
from e2e.harness.display import Display
from e2e.x11 import xwindow

HERE = os.path.dirname(os.path.abspath(__file__))
TESTS = os.path.dirname(HERE)
SOURCE = os.path.dirname(TESTS)

SUPPRESSIONS = os.path.join(HERE, "valgrind.supp")
SEED = "2026"
# Valgrind starts llvmpipe slowly: the first frame may take a minute or more.
FIRST_FRAME_S = 600
# And the leak check at the end takes a while over a large heap.
END_S = 600

Run = namedtuple("Run", "name settings hack")
RUNS = (Run("defaults-window", (), False),
        Run("defaults-hack", (), True),
        Run("500x500-window", ("--roamlets", "500", "--chasers", "500"), False),
        Run("500x500-hack", ("--roamlets", "500", "--chasers", "500"), True))

Result = namedtuple("Result", "name first_frame_s frames seconds status report problems")


def valgrind_command(folder, program, args):
    return ["valgrind", "--tool=memcheck", "--leak-check=full", "--show-leak-kinds=definite,indirect",
            "--errors-for-leak-kinds=definite,indirect", "--keep-debuginfo=yes", "--num-callers=40",
            f"--suppressions={SUPPRESSIONS}", "--gen-suppressions=all", "--xml=yes",
            f"--xml-file={os.path.join(folder, 'valgrind.xml')}", f"--log-file={os.path.join(folder, 'valgrind.log')}",
            program, "--seed", SEED, *args]


def own_window(display, program):
    """The id of roamlets' own mapped window, once it is there; None if the program ended first."""
    deadline = time.monotonic() + FIRST_FRAME_S
    while time.monotonic() < deadline and program.poll() is None:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Roamlets$"], env=display.env(),
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, timeout=30)
        if found.stdout.split():
            return int(found.stdout.split()[0])
        time.sleep(0.5)
    return None


def soak_one(run, args, display, connection):
    folder = os.path.join(args.work, run.name)
    shutil.rmtree(folder, ignore_errors=True)
    config_home = os.path.join(folder, "config")  # empty: the settings are the defaults
    os.makedirs(config_home)
    width, height = (int(n) for n in args.size.split("x"))
    target = connection.create_window("roamlets soak target", 20, 20, width, height) if run.hack else None
    placement = ("--window-id", str(target)) if run.hack else ("--window", "--size", args.size)
    env = dict(display.env(), XDG_CONFIG_HOME=config_home, LP_NUM_THREADS=str(args.lp_threads))
    env.pop("XSCREENSAVER_WINDOW", None)
    problems = []
    counter = None
    if target:
        # The window's own first paint, which the counter is told of as soon
        # as it watches, is no frame of the program's.
        counter = xserver.FrameCounter(display.name, target)
        deadline = time.monotonic() + FIRST_FRAME_S
        while counter.frames == 0 and time.monotonic() < deadline:
            time.sleep(0.01)
        counter.restart()
    started = time.monotonic()
    with open(os.path.join(folder, "output.txt"), "w") as output:
        program = subprocess.Popen(valgrind_command(folder, args.roamlets, (*placement, *run.settings)), env=env,
                                   stdin=subprocess.DEVNULL, stdout=output, stderr=subprocess.STDOUT)
    frames = seconds = first_frame_s = 0
    try:
        window = target or own_window(display, program)
        if window:
            counter = counter or xserver.FrameCounter(display.name, window)
            deadline = time.monotonic() + FIRST_FRAME_S
            while counter.first_frame_at is None and program.poll() is None and time.monotonic() < deadline:
                time.sleep(0.2)
        if counter is None or counter.first_frame_at is None:
            problems.append("no frame was shown")
        else:
            first_frame_s = counter.first_frame_at - started
            measured_from, frames_before = time.monotonic(), counter.frames
            while program.poll() is None and time.monotonic() - measured_from < args.seconds:
                time.sleep(0.5)
            seconds = time.monotonic() - measured_from
            frames = counter.frames - frames_before
            try:
                display.grab(str(window)).save_png(os.path.join(folder, "last.png"))
            except subprocess.CalledProcessError:
                problems.append("no picture of the window could be taken")
        if program.poll() is not None:
            problems.append(f"ended by itself with status {program.returncode} (see {folder}/output.txt)")
        else:
            program.send_signal(signal.SIGTERM)
            try:
                if program.wait(END_S) != 0:
                    problems.append(f"ended with status {program.returncode} after SIGTERM")
            except subprocess.TimeoutExpired:
                problems.append(f"did not end within {END_S} s of SIGTERM")
    finally:
        if program.poll() is None:
            program.kill()
            program.wait()
        if counter:
            counter.close()
        if target:
            connection.destroy_window(target)
    report = memcheck.read_report(os.path.join(folder, "valgrind.xml"))
    if not report.finished:
        problems.append("valgrind did not finish its report")
    if report.errors:
        problems.append(f"{len(report.errors)} error(s) reported")
    return Result(run.name, first_frame_s, frames, seconds, program.returncode, report, problems)


def print_results(results, program):
    def leaked(report, kind):
        return sum(error.bytes for error in report.errors if error.kind == kind)

    lines = [(r.name, f"{r.first_frame_s:.0f}", r.frames, f"{r.seconds:.0f}",
              f"{r.frames / r.seconds:.2f}" if r.seconds else "-", r.status, len(r.report.errors),
              leaked(r.report, "Leak_DefinitelyLost"), leaked(r.report, "Leak_IndirectlyLost"),
              sum(r.report.suppressed.values()), "pass" if not r.problems else "FAIL")
             for r in results]
    print(growth.table(("run", "first frame s", "frames", "seconds", "fps", "status", "errors", "definitely lost B",
                        "indirectly lost B", "suppressed", "verdict"), lines))
    for r in results:
        if r.report.suppressed:
            print(f"{r.name}: suppressed " + ", ".join(f"{name} x{n}" for name, n in r.report.suppressed.items()))
        for problem in r.problems:
            print(f"{r.name}: {problem}")
        for error in r.report.errors:
            print(memcheck.describe(error, program, SOURCE))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--roamlets", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--seconds", type=float, default=120, help="how long each run draws (default 120)")
    parser.add_argument("--size", default="320x240", help="the window's size (default 320x240)")
    parser.add_argument("--lp-threads", type=int, default=0,
                        help="LP_NUM_THREADS for llvmpipe (default 0: it draws on the program's own thread)")
    parser.add_argument("--only", nargs="+", choices=[run.name for run in RUNS], help="run only these")
    args = parser.parse_args()
    args.roamlets = os.path.abspath(args.roamlets)
    args.work = os.path.abspath(args.work)
    if not os.access(args.roamlets, os.X_OK):
        print(f"No program at {args.roamlets} (build the roamlets target of the native preset first)")
        return 1
    if not shutil.which("valgrind"):
        print("valgrind is not installed")
        return 1
    unsafe = memcheck.suppression_problems(SUPPRESSIONS)
    if unsafe:
        print(f"{SUPPRESSIONS} could hide reports from our own code:", *unsafe, sep="\n  ")
        return 1

    os.makedirs(args.work, exist_ok=True)
    started = time.monotonic()
    display = Display.start_virtual(args.work)
    awake = connection = None
    results = []
    try:
        awake = xserver.ScreenSaverOff(display.name)
        connection = xwindow.Connection(display.name)
        for run in RUNS:
            if args.only and run.name not in args.only:
                continue
            print(f"{run.name}: running for {args.seconds:.0f} s after its first frame", flush=True)
            results.append(soak_one(run, args, display, connection))
    finally:
        if connection:
            connection.close()
        if awake:
            awake.close()
        display.close()
    print_results(results, args.roamlets)
    print(f"Whole run: {time.monotonic() - started:.0f} s; logs in {args.work}")
    return 0 if results and all(not r.problems for r in results) else 1


if __name__ == "__main__":
    sys.exit(main())
