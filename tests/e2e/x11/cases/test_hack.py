"""Runs as a screen-saver hack: drawing into a window another program made
(--window-id, XSCREENSAVER_WINDOW) or into the root window, ignoring the input
that window gets, and ending cleanly on the daemon's signals, when the window
goes, and with a message when there is no such window."""

import re
import signal
import time

from e2e.harness import pictures
from e2e.x11.session import CLOSE_S, RoamletsCases, lit


class HackCases(RoamletsCases):
    def assert_draws_into(self, window, program, name):
        self.animating(window, program)
        self.assert_shows_scene(window, name)
        self.assertEqual(self.own_windows(), [], "a hack run made a window of its own")

    def test_window_id_in_decimal_and_hex(self):
        for spelling, end in ((str, signal.SIGTERM), (hex, signal.SIGINT)):
            with self.subTest(id=spelling.__name__):
                window = self.make_window()
                program = self.start("-window-id", spelling(window))
                self.assert_draws_into(window, program, spelling.__name__)
                self.assert_ends_on_signal(program, end)

    def test_input_on_the_window_is_ignored(self):
        window = self.make_window(x=200, y=150)
        program = self.start(f"--window-id={window}")
        self.animating(window, program)
        self.display.move_pointer(300, 250)
        for key in ("Escape", "q", "space"):
            self.display.press_key(key)
        self.display.click(1)
        self.display.move_pointer(400, 300)
        self.assert_keeps_running(program, "keys, a click and a movement over its window")
        self.animating(window, program)
        self.assert_ends_on_signal(program, signal.SIGHUP)

    def test_run_behind_its_timers_ends_promptly_on_signals(self):
        # So many movers and stars that a frame takes longer than the timers' period here.
        for end in (signal.SIGTERM, signal.SIGINT):
            with self.subTest(signal=end.name):
                window = self.make_window()
                program = self.start("--window-id", str(window), "--roamlets", "500", "--chasers", "500",
                                     "--density", "1", "--star-size", "30")
                self.animating(window, program)
                self.assert_ends_on_signal(program, end, self.close_deadline_s(window))

    def test_daemon_window_from_the_environment(self):
        # With --root, or with no placement at all; the daemon writes the id either way.
        for args, spelling in ((["-root"], hex), ([], str)):
            with self.subTest(args=args):
                window = self.make_window()
                program = self.start(*args, env=self.env(XSCREENSAVER_WINDOW=spelling(window)))
                self.assert_draws_into(window, program, "root" if args else "no-placement")
                self.assert_ends_on_signal(program, signal.SIGTERM)

    def test_root_window_without_a_daemon_window(self):
        before = self.grab("root")
        program = self.start("--root")
        picture = self.wait_for_picture(
            "root", lambda p: p.rgb != before.rgb and not pictures.missing_from_scene(p),
            "the whole scene on the root window")
        self.save_shot(picture, "root")
        # A picture of the root shows the windows on it too: there must be none.
        children = re.findall(r"^\s+(0x[0-9a-f]+)", self.display.run("xwininfo", "-root", "-children"), re.M)
        self.assertEqual(children, [], "the scene is not on the root window itself")
        self.assert_ends_on_signal(program, signal.SIGTERM)

    def test_window_that_does_not_exist(self):
        window = self.make_window()
        self.session.connection.destroy_window(window)
        for spelling in (hex, str):
            with self.subTest(id=spelling.__name__):
                code, _, err = self.run_program("--window-id", spelling(window))
                self.assertEqual(code, 1, err)
                self.assertIn(hex(window), err)

    def test_input_only_window(self):
        window = self.session.connection.create_input_only_window(200, 150, 480, 320)
        self.addCleanup(self.session.connection.destroy_window, window)
        code, _, err = self.run_program("--window-id", hex(window))
        self.assertEqual(code, 1, err)
        self.assertIn(f"window {hex(window)} is an input-only window", err)

    def test_signals_end_the_run_while_the_server_does_not_answer(self):
        for end in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
            with self.subTest(signal=end.name):
                window = self.make_window()
                program = self.start("--window-id", str(window))
                self.animating(window, program)
                self.display.server.send_signal(signal.SIGSTOP)
                try:
                    self.assert_ends_on_signal(program, end)
                finally:
                    self.display.server.send_signal(signal.SIGCONT)

    def test_window_destroyed_while_drawn_into(self):
        window = self.make_window()
        program = self.start("--window-id", str(window))
        first, _ = self.animating(window, program)
        self.assertGreater(lit(first), 0)
        self.session.connection.destroy_window(window)
        self.assert_ends_with(program, 0, CLOSE_S, "the window's end")

    def test_window_destroyed_just_after_an_expose(self):
        # Held while its window is exposed and then destroyed, the run finds both in its queue: the
        # frame the expose asks for meets a window that has gone, and must cost no more than any frame.
        window = self.make_window()
        program = self.start("--window-id", str(window))
        self.animating(window, program)
        program.send_signal(signal.SIGTERM)
        _, _, usual = self.assert_ends_within(program, CLOSE_S, "SIGTERM")
        for attempt in range(5):
            with self.subTest(attempt=attempt):
                window = self.make_window()
                program = self.start("--window-id", str(window))
                self.animating(window, program)
                self.hold(program)
                self.session.connection.expose(window)
                self.session.connection.destroy_window(window)
                program.send_signal(signal.SIGCONT)
                status, err, peak = self.assert_ends_within(program, CLOSE_S, "the window's end")
                self.assertEqual(status, 0, err)
                self.assertLess(peak, usual + 16 * 1024,
                                f"peak memory {peak} KiB against {usual} KiB in a run ended by SIGTERM")

    def test_window_destroyed_while_the_run_starts(self):
        # Whenever the window goes, the run ends: with a message when it was gone before the run
        # found it, cleanly when after; never left drawing into nothing.
        for delay_ms in range(0, 200, 10):
            with self.subTest(delay_ms=delay_ms):
                window = self.make_window()
                program = self.start("--window-id", str(window))
                time.sleep(delay_ms / 1000)
                self.session.connection.destroy_window(window)
                status, err, _ = self.assert_ends_within(program, CLOSE_S, "the window's end")
                self.assertIn(status, (0, 1), err)
                if status == 1:
                    self.assertIn(hex(window), err)
