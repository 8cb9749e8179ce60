#!/usr/bin/env python3
"""Soak run of the Windows screen saver under Wine.

    wine_soak.py --win64-build build/win64 --work build/soak/wine [--minutes 10] [--interval 5]

Stores NUM_ROAMLETS = 500 and NUM_CHASERS = 500 in a prefix of its own, runs
Roamlets.scr /s full screen on a virtual display for --minutes, and has the
test driver sample what the saver holds every --interval seconds (see the
driver's usage command): its working set, pagefile and private bytes, its GDI
and USER objects, its handles, and, for counts that Wine does not keep, the
same things counted another way. A probe of the driver's own process first
finds out which of these values move at all on this system; one that does not
is shown as not counted and is not judged. Every value that counts must not
grow past the first minute (the rule is in growth.py). At the end the scene
must still animate and a key press must end the saver with status 0.

The samples go to <work>/wine-soak.csv, pictures of the scene to
<work>/screenshots; a table of the series is printed at the end."""

import argparse
import os
import sys
import time
import unittest

import growth
import xserver
from e2e.wine import config, session
from e2e.wine.saver_cases import SETTINGS_KEY, SaverCases

MIB = growth.MIB


class Series:
    """One value the driver samples: its name in the usage answer, how it is shown and judged,
    and what the probe must see it move by (for what it made) before it counts as measured."""

    def __init__(self, key, label, limits, probe_min, probe_made, substitute_for=None):
        self.key, self.label, self.limits = key, label, limits
        self.probe_min, self.probe_made, self.substitute_for = probe_min, probe_made, substitute_for

    def show(self, value):
        if value is None:
            return "-"
        return f"{value / MIB:.1f} MiB" if self.limits is growth.MEMORY else str(value)

    def show_slope(self, slope):
        return f"{slope / MIB:+.3f} MiB" if self.limits is growth.MEMORY else f"{slope:+.3f}"


SERIES = (
    Series("working_set", "WorkingSetSize", growth.MEMORY, 12 * MIB, "16 MiB touched"),
    Series("pagefile", "PagefileUsage", growth.MEMORY, 12 * MIB, "16 MiB touched"),
    Series("private", "PrivateUsage", growth.MEMORY, 12 * MIB, "16 MiB touched"),
    Series("gdi", "GDI objects (GetGuiResources)", growth.COUNT, 16, "16 brushes"),
    Series("user", "USER objects (GetGuiResources)", growth.COUNT, 4, "4 windows"),
    Series("handles", "handles (GetProcessHandleCount)", growth.COUNT, 16, "16 events"),
    Series("gdi_table", "GDI objects (PEB GDI handle table)", growth.COUNT, 16, "16 brushes", "gdi"),
    Series("windows", "USER: windows (EnumWindows/EnumChildWindows)", growth.COUNT, 4, "4 windows", "user"),
    Series("system_handles", "handles (system handle list)", growth.COUNT, 16, "16 events", "handles"),
)

options = None  # set by main()


def counts(series, probe):
    """True when the probe saw the value move by at least what it made."""
    return probe[series.key] >= series.probe_min


class WineSoak(SaverCases):
    def test_soak(self):
        for name in ("NUM_ROAMLETS", "NUM_CHASERS"):
            self.driver.reg_set_dword(SETTINGS_KEY, name, 500)
        probe = self.driver.call("usage-probe")
        awake = xserver.ScreenSaverOff(self.display.name)
        self.addCleanup(awake.close)

        program, window, _ = self.start_full_screen()
        rows, ended = self.sample(program, probe)
        path = os.path.join(config.current.work, "wine-soak.csv")
        growth.write_csv(path, [s.key for s in SERIES], rows)
        failures = report(rows, probe, path, options.interval)
        self.assertIsNone(ended, f"the saver ended by itself: {ended}")

        first, second = self.wait_animating()
        self.save_shot(first, "end-1")
        self.save_shot(second, "end-2")
        # Busy with 1000 movers, the saver may take a few of its frames to answer.
        within_ms = self.close_deadline_ms(window["hwnd"])
        pressed = time.monotonic()
        self.display.press_key("space")
        code = self.driver.wait(program, within_ms)
        closed_ms = (time.monotonic() - pressed) * 1000
        print(f"The scene still animated at the end; the key press ended the saver with {code} "
              f"after {closed_ms:.0f} ms.")
        self.assertEqual(code, 0, f"a key press did not end the saver with 0 within {within_ms:.0f} ms (got {code})")
        stored = self.stored_settings() or {}
        self.assertEqual((stored.get("NUM_ROAMLETS"), stored.get("NUM_CHASERS")), (500, 500),
                         "the stored counts changed")
        self.assertEqual(failures, [], "grew past the first minute")

    def sample(self, program, probe):
        """(seconds, values) every interval until the run's time is up; and how the saver ended, if it did."""
        started = time.monotonic()
        rows = []
        next_report = 60
        while True:
            sample = self.driver.call("usage", program.id)
            seconds = time.monotonic() - started
            if sample["running"] != 1:
                return rows, f"after {seconds:.0f} s with exit code {sample.get('exit')}"
            rows.append((seconds, {s.key: sample[s.key] for s in SERIES}))
            if seconds >= next_report:
                print(f"  {seconds / 60:4.1f} min: " + ", ".join(f"{s.key} {s.show(sample[s.key])}"
                                                             for s in SERIES if counts(s, probe)), flush=True)
                next_report += 60
            if seconds >= options.minutes * 60:
                return rows, None
            time.sleep(max(0.0, started + len(rows) * options.interval - time.monotonic()))


def report(rows, probe, path, interval):
    """Prints the table of the samples taken every `interval` s; returns what grew, one line per series."""
    if not rows:
        print("No samples were taken.")
        return ["no samples"]
    times = [seconds for seconds, _ in rows]
    lines, failures, uncounted = [], [], []
    for series in SERIES:
        values = [sample[series.key] for _, sample in rows]
        if not counts(series, probe):
            uncounted.append(series)
            lines.append((series.label, "not counted", series.show(values[0]), "", series.show(values[-1]), "", "",
                          "not judged"))
            continue
        verdict = growth.judge(times, values, series.limits)
        if not verdict.passed:
            failures.append(f"{series.label}: {verdict.reason}")
        lines.append((series.label, "counts", series.show(verdict.first), series.show(verdict.baseline),
                      series.show(verdict.last), series.show(verdict.peak), series.show_slope(verdict.slope),
                      "pass" if verdict.passed else "FAIL"))
    print(f"\n{len(rows)} samples over {times[-1] / 60:.1f} min, every {interval:g} s; CSV: {path}")
    print(growth.table(("series", "measured", "first", "minute 1", "last", "max after 1", "slope/min", "verdict"),
                       lines))
    for series in uncounted:
        instead = [s.label for s in SERIES if s.substitute_for == series.key and counts(s, probe)]
        error = f", error {probe['gui_error']}" if series.key in ("gdi", "user") and probe["gui_error"] else ""
        print(f"{series.label} is not counted here: it moved by {probe[series.key]} after the driver made "
              f"{series.probe_made} in its own process{error}; "
              + (f"judged instead: {', '.join(instead)}." if instead else "no substitute."))
    for failure in failures:
        print(f"GROWTH: {failure}")
    return failures


def main():
    global options
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--win64-build", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--minutes", type=float, default=10, help="how long the saver runs (default 10, more than 1)")
    parser.add_argument("--interval", type=float, default=5, help="seconds between samples (default 5)")
    options = parser.parse_args()
    if options.minutes * 60 < growth.BASELINE_S + 3 * options.interval:
        parser.error("--minutes must leave at least 3 samples after the first minute")
    if options.interval <= 0:
        parser.error("--interval must be positive")

    config.current = config.Config(options.win64_build, options.work)
    missing = [path for path in (config.current.saver, config.current.driver) if not os.path.isfile(path)]
    if missing:
        print("Missing Windows programs (build the win64 preset first):", *missing, sep="\n  ")
        return 1
    started = time.monotonic()
    suite = unittest.TestLoader().loadTestsFromTestCase(WineSoak)
    try:
        result = unittest.TextTestRunner(verbosity=2, stream=sys.stdout).run(suite)
    finally:
        session.close()
    print(f"Whole run: {time.monotonic() - started:.0f} s; pictures in {config.current.shots}")
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
