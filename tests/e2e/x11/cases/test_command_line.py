"""The command line and the display: usage errors, --help, and the X
display that cannot be opened (named by --display, or DISPLAY unset)."""

import os
import signal
import socket

from e2e.x11.session import END_S, RoamletsCases


def unused_display():
    """A display name no server on this machine answers to."""
    number = 99
    while os.path.exists(f"/tmp/.X11-unix/X{number}") or os.path.exists(f"/tmp/.X{number}-lock"):
        number += 1
    return f":{number}"


class CommandLineCases(RoamletsCases):
    def test_bad_command_lines_give_usage(self):
        for args, env in ((["--bogus"], {}),
                          (["extra"], {}),
                          (["--size", "640"], {}),
                          (["--size=0x10"], {}),
                          (["--size", "16385x16385"], {}),
                          (["--roamlets"], {}),
                          (["--chasers", "many"], {}),
                          (["--mode", "sideways"], {}),
                          (["--fog", "maybe"], {}),
                          (["--window-id", "0"], {}),
                          (["-window-id", "0xZZ"], {}),
                          (["--fullscreen=yes"], {}),
                          (["--seed"], {}),
                          ([], {"XSCREENSAVER_WINDOW": "nonsense"})):
            with self.subTest(args=args, env=env):
                code, out, err = self.run_program(*args, env=self.env(**env))
                self.assertEqual(code, 2, err)
                self.assertIn("usage: roamlets", err)
                self.assertEqual(out, "")

    def test_help(self):
        for spelling in ("--help", "-help", "-h"):
            with self.subTest(spelling):
                code, out, err = self.run_program(spelling)
                self.assertEqual(code, 0, err)
                self.assertTrue(out.startswith("usage: roamlets"), out)
                for option in ("--fullscreen", "--root", "--window-id", "--save-settings", "--roamlets", "--density"):
                    self.assertIn(option, out)

    def test_display_that_cannot_be_opened(self):
        name = unused_display()
        # --display wins over DISPLAY, which names the working display here.
        for args, env in (((f"--display={name}",), {}), (("-display", name, "--fullscreen"), {}),
                          ((), {"DISPLAY": name})):
            with self.subTest(args=args, env=env):
                code, _, err = self.run_program(*args, env=self.env(**env))
                self.assertEqual(code, 1, err)
                self.assertIn(f"'{name}'", err)

    def test_signals_end_a_run_whose_display_never_answers(self):
        # A server that takes the connection and never answers: the run waits in XOpenDisplay.
        for number in range(50, 150):
            listener = socket.socket()
            try:
                listener.bind(("127.0.0.1", 6000 + number))
                break
            except OSError:
                listener.close()
        else:
            self.skipTest("no free X display port on 127.0.0.1")
        self.addCleanup(listener.close)
        listener.listen(1)
        listener.settimeout(END_S)
        program = self.start("--display", f"127.0.0.1:{number}")
        connection, _ = listener.accept()
        self.addCleanup(connection.close)
        self.assert_keeps_running(program, "connecting")
        self.assert_ends_on_signal(program, signal.SIGTERM)

    def test_no_display_set(self):
        for empty in (None, ""):
            with self.subTest(DISPLAY=empty):
                code, _, err = self.run_program(env=self.env(DISPLAY=empty))
                self.assertEqual(code, 1, err)
                self.assertIn("DISPLAY is not set", err)
