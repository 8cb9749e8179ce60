"""Checks of how the soak runs judge what they measured: the growth rule and
the Wine run's report of it, the reading of memcheck's XML and the guard on
the suppression file.

    python3 -m unittest discover -s tests/soak -p 'test_*.py'
"""

import contextlib
import io
import os
import tempfile
import unittest

import growth
import memcheck
import wine_soak

MIB = growth.MIB


def every_5_s(values):
    return [5.0 * i for i in range(len(values))]


class GrowthRuleTest(unittest.TestCase):
    def test_a_series_that_settles_after_the_first_minute_passes(self):
        # Climbs for a minute (caches filling), then stays with jitter.
        values = [100 + 10 * i for i in range(12)] + [220, 221, 219, 220, 222, 220, 219, 221] * 3
        verdict = growth.judge(every_5_s(values), values, growth.COUNT)
        self.assertTrue(verdict.passed, verdict.reason)
        self.assertEqual((verdict.first, verdict.baseline, verdict.peak), (100, 220, 222))

    def test_the_minute_1_value_is_the_first_sample_at_or_after_60_s(self):
        times = [0, 30, 59.9, 61, 90, 120]
        verdict = growth.judge(times, [1, 2, 3, 4, 4, 4], growth.COUNT)
        self.assertEqual(verdict.baseline, 4)

    def test_a_step_up_beyond_the_slack_fails(self):
        values = [50] * 12 + [50] * 20 + [53] * 4  # three more, late in the run
        verdict = growth.judge(every_5_s(values), values, growth.COUNT)
        self.assertFalse(verdict.passed)
        self.assertIn("rose 3", verdict.reason)

    def test_a_rise_within_the_slack_passes(self):
        values = [50] * 12 + [51, 52, 52, 51, 50] * 6
        self.assertTrue(growth.judge(every_5_s(values), values, growth.COUNT).passed)

    def test_slow_steady_growth_within_the_slack_fails_on_its_slope(self):
        # 128 MiB plus 300 KiB a minute for 9 minutes: 2.7 MiB, under the 4 MiB slack.
        times = [5.0 * i for i in range(121)]
        values = [128 * MIB + int(300 * 1024 * t / 60) for t in times]
        verdict = growth.judge(times, values, growth.MEMORY)
        self.assertFalse(verdict.passed)
        self.assertIn("grows", verdict.reason)
        self.assertNotIn("rose", verdict.reason)
        self.assertAlmostEqual(verdict.slope, 300 * 1024, delta=1)

    def test_memory_slack_is_4_mib_or_2_percent(self):
        self.assertEqual(growth.MEMORY.slack(100 * MIB), 4 * MIB)
        self.assertEqual(growth.MEMORY.slack(1000 * MIB), 20 * MIB)

    def test_a_falling_series_passes(self):
        values = list(range(200, 100, -2))
        self.assertTrue(growth.judge(every_5_s(values), values, growth.COUNT).passed)

    def test_too_short_a_run_cannot_pass(self):
        for values in ([], [1] * 12, [1] * 14):
            with self.subTest(samples=len(values)):
                verdict = growth.judge(every_5_s(values), values, growth.COUNT)
                self.assertFalse(verdict.passed)
        self.assertTrue(growth.judge(every_5_s([1] * 15), [1] * 15, growth.COUNT).passed)

    def test_slope_is_per_minute(self):
        self.assertAlmostEqual(growth.slope_per_minute([0, 30, 60, 90], [0, 1, 2, 3]), 2.0)
        self.assertEqual(growth.slope_per_minute([10, 10], [1, 5]), 0.0)
        self.assertEqual(growth.slope_per_minute([10], [1]), 0.0)


class OutputTest(unittest.TestCase):
    def test_csv_has_a_column_per_series_in_order(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "s.csv")
            growth.write_csv(path, ["b", "a"], [(0.04, {"a": 1, "b": 2}), (5.0, {"a": 3, "b": 4})])
            with open(path) as written:
                self.assertEqual(written.read().splitlines(), ["seconds,b,a", "0.0,2,1", "5.0,4,3"])

    def test_table_columns_line_up(self):
        text = growth.table(("name", "value"), [("a", 1), ("longer", 22)])
        self.assertEqual(text.splitlines(), ["name    value", "------  -----", "a       1", "longer  22"])


class WineSoakReportTest(unittest.TestCase):
    # What the driver's usage-probe answers under Wine 8: GetGuiResources and
    # GetProcessHandleCount stand still, PrivateUsage stays 0.
    PROBE = {"working_set": 17 * MIB, "pagefile": 16 * MIB, "private": 0, "gdi": 0, "user": 0, "handles": 0,
             "gdi_table": 16, "windows": 5, "system_handles": 16, "gui_error": 120}

    def report(self, growing=()):
        """The report on 3 minutes of flat samples in which the `growing` series gain one (MiB) a sample."""
        def value(series, i):
            step = MIB if series.limits is growth.MEMORY else 1
            return 100 * step + (i * step if series.key in growing else 0)
        rows = [(5.0 * i, {s.key: value(s, i) for s in wine_soak.SERIES}) for i in range(37)]
        printed = io.StringIO()
        with contextlib.redirect_stdout(printed):
            failures = wine_soak.report(rows, self.PROBE, "soak.csv", 5)
        return failures, printed.getvalue()

    def test_a_flat_run_passes(self):
        failures, printed = self.report()
        self.assertEqual(failures, [])
        self.assertIn("37 samples over 3.0 min, every 5 s", printed)

    def test_growth_of_a_measured_series_fails(self):
        failures, printed = self.report(growing=("gdi_table", "working_set"))
        self.assertEqual(len(failures), 2)
        self.assertTrue(failures[0].startswith("WorkingSetSize: "))
        self.assertTrue(failures[1].startswith("GDI objects (PEB GDI handle table): "))
        self.assertIn("GROWTH: GDI objects (PEB GDI handle table)", printed)

    def test_a_value_the_probe_saw_stand_still_is_shown_but_not_judged(self):
        failures, printed = self.report(growing=("gdi", "private", "handles"))
        self.assertEqual(failures, [])
        self.assertIn("GDI objects (GetGuiResources) is not counted here: it moved by 0 after the driver made "
                      "16 brushes in its own process, error 120; judged instead: GDI objects (PEB GDI handle table).",
                      printed)
        self.assertIn("PrivateUsage is not counted here: it moved by 0 after the driver made 16 MiB touched in its "
                      "own process; no substitute.", printed)
        self.assertIn("judged instead: handles (system handle list).", printed)

    def test_no_samples_fail(self):
        with contextlib.redirect_stdout(io.StringIO()):
            self.assertEqual(wine_soak.report([], self.PROBE, "soak.csv", 5), ["no samples"])


REPORT = """<?xml version="1.0"?>
<valgrindoutput>
<protocolversion>4</protocolversion>
<status><state>RUNNING</state></status>
<error>
  <unique>0x1</unique><kind>InvalidRead</kind><what>Invalid read of size 4</what>
  <stack>
    <frame><ip>0x1</ip><obj>/src/build/native/x11/roamlets</obj><fn>roamlets::scene_tick()</fn>
      <dir>/src/scene</dir><file>/src/scene/scene_driver.cpp</file><line>40</line></frame>
    <frame><ip>0x2</ip><obj>/lib/libc.so.6</obj><fn>(below main)</fn></frame>
  </stack>
  <suppression><sname>insert</sname><rawtext>{ raw }</rawtext></suppression>
</error>
<error>
  <unique>0x2</unique><kind>Leak_DefinitelyLost</kind>
  <xwhat><text>112 (56 direct, 56 indirect) bytes in 1 blocks are definitely lost</text>
    <leakedbytes>56</leakedbytes><leakedblocks>1</leakedblocks></xwhat>
  <stack><frame><ip>0x3</ip><obj>/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so</obj></frame></stack>
</error>
<suppcounts><pair><count>3</count><name>mesa-block</name></pair></suppcounts>
<status><state>FINISHED</state></status>
</valgrindoutput>
"""


class MemcheckReportTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.addCleanup(self.folder.cleanup)

    def write(self, name, text):
        path = os.path.join(self.folder.name, name)
        with open(path, "w") as out:
            out.write(text)
        return path

    def test_errors_leaks_and_suppressions_are_read(self):
        report = memcheck.read_report(self.write("v.xml", REPORT))
        self.assertTrue(report.finished)
        self.assertEqual([e.kind for e in report.errors], ["InvalidRead", "Leak_DefinitelyLost"])
        self.assertEqual(report.errors[0].what, "Invalid read of size 4")
        self.assertEqual(report.errors[0].frames[0].line, "40")
        self.assertEqual(report.errors[1].bytes, 56)
        self.assertIn("definitely lost", report.errors[1].what)
        self.assertEqual(report.suppressed, {"mesa-block": 3})

    def test_a_report_cut_short_is_not_finished(self):
        for text in (REPORT[:REPORT.index("<suppcounts>")], ""):
            with self.subTest(length=len(text)):
                self.assertFalse(memcheck.read_report(self.write("cut.xml", text)).finished)
        self.assertFalse(memcheck.read_report(os.path.join(self.folder.name, "missing.xml")).finished)

    def test_our_frames_are_marked(self):
        report = memcheck.read_report(self.write("v.xml", REPORT))
        text = memcheck.describe(report.errors[0], "/src/build/native/x11/roamlets", "/src")
        self.assertIn("* roamlets::scene_tick() (/src/scene/scene_driver.cpp:40)", text)
        self.assertIn("  (below main) (/lib/libc.so.6)", text)


class SuppressionGuardTest(unittest.TestCase):
    def problems(self, text):
        with tempfile.NamedTemporaryFile("w", suffix=".supp", delete=False) as out:
            out.write(text)
        self.addCleanup(os.remove, out.name)
        return memcheck.suppression_problems(out.name)

    def test_the_project_file_is_safe(self):
        here = os.path.dirname(os.path.abspath(__file__))
        self.assertEqual(memcheck.suppression_problems(os.path.join(here, "valgrind.supp")), [])

    def test_frames_that_could_match_our_code_are_refused(self):
        cases = {
            "fun:_ZN8roamlets12scene_renderE*": "names our own code",
            "obj:*/x11/roamlets": "names our own code",
            "...": "bare wildcard",
            "fun:*": "bare wildcard",
            "obj:*": "bare wildcard",
        }
        for frame, problem in cases.items():
            with self.subTest(frame=frame):
                found = self.problems("# a comment\n{\n   name-1\n   Memcheck:Leak\n   match-leak-kinds: definite\n"
                                      f"   fun:malloc\n   {frame}\n}}\n")
                self.assertEqual(len(found), 1)
                self.assertIn(problem, found[0])
                self.assertTrue(found[0].startswith("name-1: "))

    def test_narrow_system_frames_pass(self):
        self.assertEqual(self.problems("{\n   n\n   Memcheck:Addr8\n   fun:strncmp\n   obj:*/libGLX_mesa.so*\n}\n"),
                         [])
        self.assertEqual(self.problems("{\n   empty\n   Memcheck:Leak\n}\n"), ["empty: no frames"])


if __name__ == "__main__":
    unittest.main()
