#!/usr/bin/env python3
"""Differential test: the C++ `scene-dump` tool against the Python scene model.

    compare_scene_dump.py --scene-dump PATH [--run-with CMD] [--quick] [--verbose]

Runs both on a matrix of cases, compares every float as a float32 bit pattern
and every integer exactly, and reports the first difference of each failing
case with its JSON path.  Exits 0 when every case agrees, 1 otherwise.
"""

import argparse
import errno
import json
import os
import shlex
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import scene_oracle  # noqa: E402

INT_KEYS = {"lcg_state", "tick_counter", "star_count", "target", "head",
            "speed_min", "speed_max"}
STRING_KEYS = {"kind"}
TOP_KEYS = ["lcg_state", "tick_counter", "angle_x", "angle_y", "angle_z", "scale",
            "translate", "star_count", "roamlets", "chasers"]
MOVER_KEYS = ["kind", "target", "heading", "desired", "turn_step", "leg_duration",
              "leg_elapsed", "colour", "trail", "head", "speed_min", "speed_max",
              "position", "speed", "next_position"]

NOT_RUN = 77  # the status of a comparison this machine cannot make at all

SEEDS = [0, 1, 4294967295, 12345, 2718281828, 1700000000, 987654321]


def _case(seed, roamlets, chasers, mode, ticks, density=None):
    return (seed, roamlets, chasers, mode, ticks, density)


# Quick set: every mode (by number and by name), empty, single and clamped
# populations, snapshot firing three times, rotate wrapping past 1440, and the
# star-field densities that need bounding.
QUICK_CASES = [
    _case(0, 10, 25, 0, 0),                      # default density, warm-up only
    _case(1, 10, 25, 1, 1, 200),
    _case(4294967295, 10, 25, 2, 2, 200),
    _case(12345, 10, 25, 7, 120, 200),
    _case(1, 1, 1, 0, 120, 200),
    _case(0, 0, 5, 1, 120, 200),                 # chasers without any roamlet
    _case(4294967295, 5, 0, 2, 120, 200),        # roamlets alone
    _case(2718281828, 3, 40, "rotate", 120, 30000),
    _case(1700000000, 40, 40, 2, 1001, 200),     # snapshot at ticks 0, 500, 1000
    _case(987654321, -7, 600, 1, 2, 0),          # counts clamp to 0 / 500
    _case(0, 600, 3, 0, 2, -5),                  # counts clamp to 500 / 3
    _case(1, 2, 3, "snapshot", 501, 1),
    _case(4294967295, 2, 2, 1, 1500, 150),       # rotate past c = 1440
]

FULL_EXTRA = (
    [_case(s, 10, 25, m, 120, 200) for s in SEEDS for m in (0, 1, 2, 7)]
    + [_case(s, 40, 40, m, 600, 200) for s, m in ((0, 1), (1, 2), (4294967295, 0))]
    + [_case(s, 3, 40, 2, 2, 200) for s in SEEDS]
    + [_case(s, 1, 1, 0, 1, 200) for s in SEEDS]
    + [_case(0, 10, 25, 0, 0, d) for d in (100, 337499, 337500, 2147483647, -2147483648)]
    + [
        _case(1, 10, 25, "chase", 60, 200),
        _case(1, 10, 25, -1, 60, 200),
        _case(1, 10, 25, 3, 60, 200),
        _case(12345, 0, 0, 2, 1001, 200),        # only the camera draws
        _case(12345, 25, 10, 1, 721, 200),       # rotate past c = 720
        _case(2718281828, 600, 600, 0, 1, 200),  # largest populations
        _case(1700000000, 500, 1, 2, 120, 200),
    ]
)


def case_args(case):
    seed, roamlets, chasers, mode, ticks, density = case
    args = ["--seed", str(seed), "--roamlets", str(roamlets), "--chasers", str(chasers),
            "--mode", str(mode), "--ticks", str(ticks)]
    if density is not None:
        args += ["--density", str(density)]
    return args


def run_oracle(case):
    seed, roamlets, chasers, mode, ticks, density = case
    mode = scene_oracle.parse_mode(str(mode))
    if density is None:
        density = scene_oracle.DEFAULT_DENSITY
    scene = scene_oracle.run_scene(seed, roamlets, chasers, mode, ticks, density)
    return json.loads(scene_oracle.scene_json(scene))


def run_scene_dump(command, case):
    proc = subprocess.run(command + case_args(case), capture_output=True, text=True,
                          timeout=120)
    if proc.returncode != 0:
        raise RuntimeError("scene-dump exited with %d: %s"
                           % (proc.returncode, proc.stderr.strip()[:500]))
    try:
        return json.loads(proc.stdout)
    except ValueError as e:
        raise RuntimeError("scene-dump printed no valid JSON (%s): %r"
                           % (e, proc.stdout[:200]))


def _is_number(v):
    return isinstance(v, (int, float)) and not isinstance(v, bool)


def _describe_float(v):
    return "%r (0x%08x)" % (scene_oracle.f32(float(v)), scene_oracle.f32_bits(float(v)))


def first_difference(got, want, path="$", key=None):
    """First difference between scene-dump's document and the oracle's, or None."""
    if isinstance(want, dict):
        if not isinstance(got, dict):
            return "%s: expected an object, got %r" % (path, got)
        order = MOVER_KEYS if "kind" in want else TOP_KEYS
        missing = [k for k in order if k not in got]
        extra = [k for k in got if k not in want]
        if missing or extra:
            return "%s: missing keys %s, unexpected keys %s" % (path, missing, extra)
        for k in order:
            d = first_difference(got[k], want[k], "%s.%s" % (path, k), k)
            if d:
                return d
        return None
    if isinstance(want, list):
        if not isinstance(got, list):
            return "%s: expected an array, got %r" % (path, got)
        if len(got) != len(want):
            return "%s: length %d, oracle %d" % (path, len(got), len(want))
        for i, (g, w) in enumerate(zip(got, want)):
            d = first_difference(g, w, "%s[%d]" % (path, i), key)
            if d:
                return d
        return None
    if key in STRING_KEYS or want is None or isinstance(want, str):
        if got != want:
            return "%s: scene-dump %r, oracle %r" % (path, got, want)
        return None
    if not _is_number(got):
        return "%s: scene-dump %r is not a number, oracle %r" % (path, got, want)
    if key in INT_KEYS:
        if got != int(got) or int(got) != want:
            return "%s: scene-dump %r, oracle %r" % (path, got, want)
        return None
    if scene_oracle.f32_bits(float(got)) != scene_oracle.f32_bits(float(want)):
        return "%s: scene-dump %s, oracle %s" % (path, _describe_float(got),
                                                  _describe_float(want))
    return None


def main(argv=None):
    p = argparse.ArgumentParser(description=__doc__.splitlines()[1])
    p.add_argument("--scene-dump", required=True, help="path of the scene-dump binary")
    p.add_argument("--run-with", default="",
                   help="command that runs it, such as an emulator for another processor")
    p.add_argument("--quick", action="store_true", help="run the short case list only")
    p.add_argument("--verbose", action="store_true", help="print every case")
    a = p.parse_args(argv)

    cases = QUICK_CASES if a.quick else QUICK_CASES + FULL_EXTRA
    command = shlex.split(a.run_with) + [a.scene_dump]
    passed = failed = 0
    started = time.monotonic()
    for case in cases:
        label = "scene-dump " + " ".join(case_args(case))
        try:
            diff = first_difference(run_scene_dump(command, case), run_oracle(case))
        except OSError as e:
            if e.errno == errno.ENOEXEC:
                # Some virtual machines run 64-bit code only, whatever is installed.
                print("this machine cannot run %s: its kernel refuses it (%s); not compared"
                      % (command[0], e.strerror))
                return NOT_RUN
            diff = str(e)
        except (RuntimeError, subprocess.TimeoutExpired) as e:
            diff = str(e)
        if diff:
            failed += 1
            print("FAIL %s\n     %s" % (label, diff))
        else:
            passed += 1
            if a.verbose:
                print("ok   %s" % label)
        sys.stdout.flush()
    print("(%.1f s)" % (time.monotonic() - started))
    print("%d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
