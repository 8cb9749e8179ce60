"""The command line: which run mode each command tail starts, with what
window, and the exit code the process ends with (read through
GetExitCodeProcess, all 32 bits)."""

from e2e.harness.runs import wait_for
from e2e.wine.saver_cases import APPEAR_S, IDOK, SAVER_CLASS, WM_CLOSE, SaverCases

REJECTED = 0xFFFFFFFF  # exit code -1


class CommandLineCases(SaverCases):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.spaced_saver = cls.prefix.install(cls.prefix.drive_c("saver", "Roamlets.scr"), "Saver Folder",
                                              "Roamlets.scr")

    def assert_configures(self, program, owner):
        """The configuration dialog appears owned by `owner` (0: none); OK ends the process with 1."""
        dialog = self.wait_configuration_dialog(program)
        self.assertEqual(dialog["owner"], owner)
        self.assertEqual(self.driver.click(dialog["hwnd"], IDOK), "OK")
        self.assert_ends_with(program, 1)

    def assert_runs_full_screen(self, program):
        self.wait_saver_window(program.pid)
        self.driver.post(self.driver.windows(SAVER_CLASS, "Screen Saver", program.pid)[0]["hwnd"], WM_CLOSE)
        self.assert_ends_with(program, 0)

    def assert_previews_in(self, program, parent):
        preview = wait_for(lambda: [c for c in self.driver.children(parent)
                                    if c["class"] == SAVER_CLASS and c["pid"] == program.pid],
                           APPEAR_S, what="the preview window")[0]
        self.assertEqual(preview["title"], "Preview")
        self.assertEqual(preview["parent"], parent)
        self.driver.destroy(parent)
        self.assert_ends_with(program, 0)

    def foreground_window(self):
        """A window of the driver, made the foreground window."""
        window = self.driver.make_window(200, 120, 700, 100)
        self.driver.activate(window)
        wait_for(lambda: self.driver.foreground()["hwnd"] == window, APPEAR_S, what="the driver's window in front")
        return window

    def test_empty_tail_and_lone_switch_characters_configure_without_owner(self):
        front = self.foreground_window()
        for tail in ("", "-", "/", "  "):
            with self.subTest(tail=tail):
                self.driver.activate(front)
                self.assert_configures(self.start_saver(tail), 0)
        with self.subTest(tail="unterminated quote"):
            # The quote swallows the whole line: nothing is left to scan.
            self.driver.activate(front)
            self.assert_configures(self.driver.start_app(self.saver, f'"{self.saver} /s'), 0)
        self.driver.destroy(front)

    def test_configure_owner_is_the_given_window_or_the_foreground_window(self):
        given = self.driver.make_window(200, 120, 100, 100)
        front = self.foreground_window()
        cases = [(f"/c:{given}", given), (f"-C:{given}", given), (f"/c {given}", front), ("/c", front),
                 ("/c:", front), ("/c:0", front), ("/c:12345", front)]
        for tail, owner in cases:
            with self.subTest(tail=tail):
                self.driver.activate(front)
                self.assert_configures(self.start_saver(tail), owner)
        self.driver.destroy(given)
        self.driver.destroy(front)

    def test_full_screen_tails(self):
        for tail in ("/s", "-S", "s", "/ /s", "//s", "/sp", "/s 1234"):
            with self.subTest(tail=tail):
                self.assert_runs_full_screen(self.start_saver(tail))
        with self.subTest(tail="tab before the switch"):
            self.assert_runs_full_screen(self.driver.start(f'"{self.saver}"\t/s'))
        with self.subTest(line="program name after a leading blank"):
            # No program name is skipped: the scan starts at "saver.scr /s", whose
            # 's' starts a full-screen run.
            self.assert_runs_full_screen(self.driver.start_app(self.saver, " saver.scr /s"))

    def test_rejected_tails_end_with_minus_one_and_show_nothing(self):
        parent = self.driver.make_window(160, 120)
        for tail in ("/x", "/1", "x", "/\ts", "-\t/s", "/\x80s", "/p", "/p 0", f"/p:{parent}", "/p 1",
                     f"/p\t{parent}", "/a", f"/a {parent}"):
            with self.subTest(tail=tail):
                program = self.start_saver(tail)
                self.assert_ends_with(program, REJECTED)
        self.assertEqual(self.driver.children(parent), [])
        self.driver.destroy(parent)

    def test_preview_tails(self):
        def parent_and_tail(make_tail):
            parent = self.driver.make_window(160, 120)
            return parent, make_tail(parent)

        for name, make_tail in [("/p", lambda h: f"/p {h}"), ("/l", lambda h: f"/l {h}"),
                                ("-P", lambda h: f"-P {h}"), ("several spaces", lambda h: f"/p   {h}"),
                                ("wraps at 2^32", lambda h: f"/p {h + 2**32}"),
                                ("leading zeros and trailing letters", lambda h: f"/p 000{h}abc")]:
            with self.subTest(tail=name):
                parent, tail = parent_and_tail(make_tail)
                self.assert_previews_in(self.start_saver(tail), parent)
        with self.subTest(tail="quoted program name with a blank"):
            parent = self.driver.make_window(160, 120)
            self.assert_previews_in(self.start_saver(f"/p {parent}", program=self.spaced_saver), parent)
