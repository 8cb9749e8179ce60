"""The command line and the display: usage errors, --help, and the X
display that cannot be opened (named by --display, or DISPLAY unset)."""

import os

from session import RoamletsCases


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

    def test_no_display_set(self):
        for empty in (None, ""):
            with self.subTest(DISPLAY=empty):
                code, _, err = self.run_program(env=self.env(DISPLAY=empty))
                self.assertEqual(code, 1, err)
                self.assertIn("DISPLAY is not set", err)
