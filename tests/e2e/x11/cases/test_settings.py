"""The settings: the stored ones drive a run, the setting options override
them for that run only and never touch the store, and --save-settings writes
the store (with no display) within the configuration dialog's ranges, one
save after the other when several race, or says why it could not."""

import colorsys
import collections
import os

from e2e.harness import pictures
from e2e.x11.session import CLOSE_S, END_S, SETTINGS_DEFAULTS as DEFAULTS, RoamletsCases, lit

SPARSE = {"NUM_ROAMLETS": 1, "NUM_CHASERS": 1, "DENSITY": 30000}
# A time long past, so that a rewrite of the store shows in its mtime.
PAST = 1000000000


def hues(picture):
    """How many of twelve equal ranges of hue hold at least 50 pixels of chasers' colours: each chaser
    has a colour of its own, which fog darkens without changing its hue."""
    counts = collections.Counter()
    for colour, n in picture.colour_counts().items():
        if pictures.is_other_hue(colour):
            counts[int(colorsys.rgb_to_hsv(*(value / 255 for value in colour))[0] * 12) % 12] += n
    return sum(1 for n in counts.values() if n >= 50)


class SettingsCases(RoamletsCases):
    def scene(self, *args):
        """A picture of the scene of a run in a 640x360 window of its own, with a fixed seed."""
        program = self.start("--size", "640x360", "--seed", "2026", *args)
        window = self.wait_own_window(program)
        _, picture = self.animating(window, program)
        program.terminate()
        self.assert_ends_with(program, 0, CLOSE_S, "SIGTERM")
        return picture

    def test_setting_options_override_the_store_for_the_run_only(self):
        self.write_settings(SPARSE)
        os.utime(self.settings_path(), (PAST, PAST))
        with open(self.settings_path(), "rb") as stored:
            content = stored.read()

        sparse = self.scene()
        self.save_shot(sparse, "stored")
        self.assertLess(lit(sparse), 0.02 * sparse.width * sparse.height, "the stored counts and density are not used")
        sparse_stars = pictures.count(sparse, pictures.is_grey)
        sparse_roamlets = pictures.count(sparse, pictures.is_red)
        self.assertLessEqual(hues(sparse), 2, "more than one chaser")

        for spelling in (["--roamlets", "200", "--chasers", "200", "--density", "50"],
                         ["-roamlets", "200", "-chasers", "200", "-density", "50"],
                         ["--roamlets=200", "-chasers=200", "--density=50"]):
            with self.subTest(options=spelling):
                dense = self.scene(*spelling)
                self.save_shot(dense, spelling[0].strip("-").replace("=", "-"))
                self.assertGreater(lit(dense), 10 * lit(sparse))
                self.assertGreater(pictures.count(dense, pictures.is_grey), 10 * max(sparse_stars, 100),
                                   "not many more stars")
                self.assertGreater(pictures.count(dense, pictures.is_red), 10 * max(sparse_roamlets, 100),
                                   "not many more roamlets")
                self.assertGreaterEqual(hues(dense), 6, "not chasers of many colours")

        with open(self.settings_path(), "rb") as stored:
            self.assertEqual(stored.read(), content, "a run changed the store")
        self.assertEqual(os.stat(self.settings_path()).st_mtime, PAST, "a run rewrote the store")
        self.assertEqual(self.config_files(), [os.path.join("Vantorix", "ScreenSavers", "Roamlets.conf")])

    def test_save_settings_applies_the_options_to_the_store(self):
        stored = {"VIEW_MODE": 2, "NUM_ROAMLETS": 5, "NUM_CHASERS": 7, "DENSITY": 300, "LINE_WIDTH": 3,
                  "STAR_SIZE": 4, "STAR_SMOOTH": 1, "FOG_ENABLE": 0}
        for name, before in (("stored", stored), ("no store", None)):
            with self.subTest(name):
                if before:
                    self.write_settings(before)
                # A save needs no window: the daemon's variable is not looked at.
                code, out, err = self.run_program("--save-settings", "--roamlets", "42", "--mode", "rotate",
                                                  env=self.env(DISPLAY=None, XSCREENSAVER_WINDOW="nonsense"))
                self.assertEqual(code, 0, err)
                self.assertIn(self.settings_path(), out)
                self.assertEqual(self.stored_settings(), dict(before or DEFAULTS, NUM_ROAMLETS=42, VIEW_MODE=1))
                os.remove(self.settings_path())

    def test_save_settings_refuses_values_out_of_the_dialog_ranges(self):
        self.write_settings(DEFAULTS)
        with open(self.settings_path(), "rb") as stored:
            content = stored.read()
        for option, value in (("--roamlets", "0"), ("--chasers", "501"), ("--density", "30001"), ("--mode", "3")):
            with self.subTest(option=option, value=value):
                code, _, err = self.run_program("--save-settings", option, value, env=self.env(DISPLAY=None))
                self.assertEqual(code, 2, err)
                self.assertIn("usage: roamlets", err)
                with open(self.settings_path(), "rb") as stored:
                    self.assertEqual(stored.read(), content)
        os.remove(self.settings_path())
        code, _, err = self.run_program("--save-settings", "--roamlets", "0", env=self.env(DISPLAY=None))
        self.assertEqual(code, 2, err)
        self.assertEqual(self.config_files(), [], "a refused save wrote a file")

    def test_racing_saves_each_keep_their_change(self):
        for round_number in range(20):
            with self.subTest(round=round_number):
                self.write_settings(DEFAULTS)
                env = self.env(DISPLAY=None)
                racing = [self.start("--save-settings", "--chasers", "60", env=env),
                          self.start("--save-settings", "--roamlets", "70", env=env)]
                for program in racing:
                    _, err = program.communicate(timeout=END_S)
                    self.assertEqual(program.returncode, 0, err)
                self.assertEqual(self.stored_settings(), dict(DEFAULTS, NUM_CHASERS=60, NUM_ROAMLETS=70))

    def test_a_failed_save_says_why(self):
        # A file where the settings folder should be.
        os.makedirs(os.path.join(self.config_home, "Vantorix"))
        with open(os.path.join(self.config_home, "Vantorix", "ScreenSavers"), "w") as blocker:
            blocker.write("x")
        code, out, err = self.run_program("--save-settings", "--roamlets", "42", env=self.env(DISPLAY=None))
        self.assertEqual(code, 1, err)
        self.assertEqual(out, "")
        self.assertIn("could not save the settings", err)
        self.assertIn("Not a directory", err)
