"""The base of every group of cases: its own prefix with the saver installed
at C:\\saver\\Roamlets.scr, a driver running in it, and helpers for runs of
the saver."""

import os
import time
import unittest

from e2e.harness import pictures
from e2e.harness.display import HEIGHT, WIDTH
from e2e.harness.runs import after_frames, record, wait_for

from . import config, session

SETTINGS_KEY = r"HKCU\Software\Vantorix\ScreenSavers\Roamlets"
SAVER_CLASS = "WindowsScreenSaverClass"
SCENE_CLASS = "NTDEVCLASS"
SCENE_TITLE = "Roamlet OpenGL Screen Saver"
DIALOG_CLASS = "#32770"
CONFIGURE_TITLE = "Roamlet OpenGL Screen Saver"

WM_CLOSE = 0x0010
WM_KEYDOWN = 0x0100
WM_MOUSEMOVE = 0x0200
WM_LBUTTONDOWN = 0x0201
WM_CONTEXTMENU = 0x007B
WM_NULL = 0x0000
WM_COMMAND = 0x0111
WM_SYSCOMMAND = 0x0112
SC_CLOSE = 0xF060
BM_CLICK = 0x00F5

WS_CHILD = 0x40000000
WS_VISIBLE = 0x10000000
WS_POPUP = 0x80000000
WS_EX_TOPMOST = 0x8

IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7

# Timeouts: generous for what must happen, short but safe for what must not.
APPEAR_S = 60
END_MS = 30000
QUIET_MS = 800
# The longest a window's thread may take to answer a message: one frame of the
# most demanding settings on a busy machine takes seconds.
ANSWER_MS = 60000
# What a close must take at most, from the input to the end of the process,
# with frames that cost next to nothing; runs whose frames cost more add what
# their frames were measured to take (see close_deadline_ms).
CLOSE_MS = 1000

# Where the pointer rests when a full-screen run starts.
ORIGIN = (640, 512)

# The eight settings a first run stores.
SETTINGS_DEFAULTS = {"VIEW_MODE": 0, "NUM_ROAMLETS": 10, "NUM_CHASERS": 25, "DENSITY": 200, "LINE_WIDTH": 2,
                     "STAR_SIZE": 2, "STAR_SMOOTH": 0, "FOG_ENABLE": 1}

DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
WINE_KEY = r"HKCU\Software\Wine"
PROVIDER_LOG = "PASSWORD.CPL"


class SaverCases(unittest.TestCase):
    """A group of cases sharing one copy of the prefix template."""

    @classmethod
    def setUpClass(cls):
        cls.session = session.get()
        cls.display = cls.session.display
        cls.prefix = cls.session.new_prefix(cls.__name__)
        # Runs also when the rest of the set-up fails: the server stops, the copy goes.
        cls.addClassCleanup(cls.prefix.close)
        cls.saver = cls.prefix.install(config.current.saver, "saver", "Roamlets.scr")
        cls.driver = cls.prefix.start_driver()

    def tearDown(self):
        # A case that failed half-way leaves nothing running for the next one.
        self.driver.end_all()

    # Runs of the saver.
    def start_saver(self, tail, program=None):
        """Starts '"<program>" <tail>' (just the quoted program for an empty tail)."""
        return self.driver.start(f'"{program or self.saver}"' + (f" {tail}" if tail else ""))

    def wait_saver_window(self, pid, title="Screen Saver", timeout=APPEAR_S):
        """The saver window of that process once it is visible with its scene window."""
        def ready():
            found = [w for w in self.driver.windows(SAVER_CLASS, title, pid) if w["visible"]]
            if not found:
                return None
            scenes = [c for c in self.driver.children(found[0]["hwnd"]) if c["class"] == SCENE_CLASS]
            return (found[0], scenes[0]) if scenes else None
        return wait_for(ready, timeout, what=f"the '{title}' window of process {pid}")

    def start_full_screen(self, program=None):
        """Starts /s with the pointer at ORIGIN; returns (program, window, scene) once it takes input."""
        self.display.move_pointer(*ORIGIN)
        started = self.start_saver("/s", program)
        window, scene = self.wait_saver_window(started.pid)
        self.responsive(window["hwnd"])
        wait_for(lambda: self.driver.foreground()["hwnd"] == window["hwnd"], APPEAR_S,
                 what="the saver in the foreground")
        # Read again once the program's thread has answered: a snapshot taken
        # while it was still showing the window can mix states.
        return started, self.driver.window(window["hwnd"]), self.driver.window(scene["hwnd"])

    def wait_configuration_dialog(self, program):
        """The configuration dialog of that process once it is visible and takes messages."""
        dialog = self.driver.wait_window(DIALOG_CLASS, CONFIGURE_TITLE, program.pid)
        self.assertIsNotNone(dialog, "no configuration dialog appeared")
        self.responsive(dialog["hwnd"])
        return self.driver.window(dialog["hwnd"])

    def assert_closes(self, program, what, within_ms=CLOSE_MS):
        code = self.driver.wait(program, within_ms)
        self.assertEqual(code, 0, f"{what}: the saver did not end with 0 within {within_ms:.0f} ms (got {code})")

    def wait_first_frame(self):
        """Waits until the run has drawn a frame. In software OpenGL the first
        one is where the renderer prepares its code, which no frame can give
        up: a close is timed from past it."""
        wait_for(lambda: self.display.grab_scene(APPEAR_S).rgb.count(0) < WIDTH * HEIGHT * 3, APPEAR_S,
                 what="the first frame")

    def close_deadline_ms(self, hwnd, samples=5):
        """How long a close of the run that owns the window may take: CLOSE_MS,
        plus three times the longest its thread took to answer one of `samples`
        messages. A message waits for the frame in flight, so that follows
        what a frame costs with the run's settings and the machine's load, also
        where the pictures cannot show it (a screen all covered by stars)."""
        answers = []
        for _ in range(samples):
            answers.append(self.responsive(hwnd))
            # A message sent right after an answer lands between two frames
            # and is answered at once: the next one goes a moment later.
            time.sleep(0.05)
        record("a message's answer", max(answers))
        return 1000 * after_frames(max(answers), CLOSE_MS / 1000)

    def responsive(self, hwnd):
        """Waits until the window's thread has handled a message sent to it;
        returns how many seconds that took."""
        answer = self.driver.call("send", hwnd, WM_NULL, 0, 0, ANSWER_MS, timeout=ANSWER_MS / 1000 + 30)
        self.assertNotIn("timeout", answer, f"the window did not answer a message within {ANSWER_MS} ms")
        return answer["ms"] / 1000

    def assert_ends_with(self, program, code, timeout_ms=END_MS):
        self.assertEqual(self.driver.wait(program, timeout_ms), code)

    def assert_keeps_running(self, program, ms=QUIET_MS):
        self.assertTrue(self.driver.still_running_after(program, ms), "the program ended")

    def stored_settings(self):
        """The DWORD values of the settings key by name, or None when the key is missing."""
        values = self.driver.reg_values(SETTINGS_KEY)
        return None if values is None else {name: value for name, (kind, value) in values.items() if kind == "dword"}

    def save_shot(self, picture, name):
        path = os.path.join(config.current.shots, f"{type(self).__name__}-{name}.png")
        picture.save_png(path)
        return path

    def shot(self, window, name, drawn=lambda picture: True):
        """A picture of a top-level window, saved as a test artifact: the first
        one that shows the window painted and satisfies `drawn` (its controls
        paint one after another), or the last one taken within 10 s."""
        deadline = time.monotonic() + 10
        while True:
            picture = self.display.grab("root").crop(window["x"], window["y"], window["width"], window["height"])
            painted = picture.colour_counts().most_common(1)[0][0] != (0, 0, 0) and drawn(picture)
            if painted or time.monotonic() > deadline:
                self.save_shot(picture, name)
                return picture
            time.sleep(0.1)

    def wait_animating(self):
        """Two pictures of the scene a moment apart, once they differ and show something."""
        return self.display.animating_scene(APPEAR_S)

    def wait_whole_scene(self):
        """The first picture of the scene that shows all of it."""
        last = []

        def whole():
            last[:] = [self.display.grab_scene(APPEAR_S)]
            return last[0] if not pictures.missing_from_scene(last[0]) else None
        try:
            return wait_for(whole, APPEAR_S, what="a picture of the whole scene")
        except AssertionError:
            self.save_shot(last[0], "scene-timed-out")
            raise AssertionError(f"missing from the scene: {', '.join(pictures.missing_from_scene(last[0]))}")


class PasswordSystemCases(SaverCases):
    """A prefix that reports Windows 98, with the screen-saver password switched
    on and the test password provider in the system folder. A copy of the
    provider also lies beside the saver: only the system folder's may load."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.prefix.install(config.current.password_provider, "windows", "system32", "PASSWORD.CPL")
        cls.prefix.install(config.current.password_provider, "saver", "PASSWORD.CPL")
        cls.driver.reg_set_text(WINE_KEY, "Version", "win98")
        cls.driver.reg_set_dword(DESKTOP_KEY, "ScreenSaveUsePassword", 1)

    def provider_events(self, since=0, event=None):
        """The provider's log from entry `since` on, optionally of one event only."""
        log = self.prefix.module_log(PROVIDER_LOG)[since:]
        return [entry for entry in log if event is None or entry["event"] == event]

    def assert_no_provider_beside_the_saver(self):
        self.assertEqual(self.prefix.module_log(PROVIDER_LOG, folder=("saver",)), [],
                         "the provider beside the saver was loaded instead of the system's")
