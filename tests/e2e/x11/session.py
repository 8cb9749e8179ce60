"""What the whole run shares (the program, one virtual display, and a
connection of the test's own to it), and the base of every group of cases:
runs of the program with a settings folder of their own, its windows, and
pictures of them."""

import os
import re
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

from e2e.harness import pictures
from e2e.harness.display import Display
from e2e.harness.runs import after_frames, frame_period, record, wait_for

from . import xwindow

# Timeouts: generous for what must happen, short but safe for what must not.
APPEAR_S = 30
END_S = 30
# What an end must take at most, from the input or the signal to the end of
# the process, with frames that cost next to nothing; runs whose frames cost
# more add what their frames were measured to take (see close_deadline_s).
CLOSE_S = 2
QUIET_S = 0.6

SETTINGS_DEFAULTS = {"VIEW_MODE": 0, "NUM_ROAMLETS": 10, "NUM_CHASERS": 25, "DENSITY": 200, "LINE_WIDTH": 2,
                     "STAR_SIZE": 2, "STAR_SMOOTH": 0, "FOG_ENABLE": 1}

current = None


class Session:
    def __init__(self, program, work):
        self.program = os.path.abspath(program)
        self.work = os.path.abspath(work)
        self.shots = os.path.join(self.work, "screenshots")
        os.makedirs(self.shots, exist_ok=True)
        self.display = Display.start_virtual(self.work)
        try:
            self.connection = xwindow.Connection(self.display.name)
        except BaseException:
            self.display.close()
            raise

    def close(self):
        self.connection.close()
        self.display.close()


def start(program, work):
    global current
    current = Session(program, work)


def close():
    global current
    finished, current = current, None
    if finished:
        finished.close()


def lit(picture):
    """How many pixels are not black."""
    return picture.width * picture.height - picture.colour_counts().get((0, 0, 0), 0)


class RoamletsCases(unittest.TestCase):
    """Each case has its own settings folder (XDG_CONFIG_HOME), which starts
    empty; programs and windows it leaves behind are ended at its end."""

    def setUp(self):
        self.session = current
        self.display = current.display
        self.config_home = tempfile.mkdtemp(prefix="roamlets-config-")
        self.addCleanup(shutil.rmtree, self.config_home, ignore_errors=True)

    # Runs of the program.
    def env(self, **changes):
        """The display and the case's settings folder, with changes; None removes a variable."""
        env = dict(self.display.env(), XDG_CONFIG_HOME=self.config_home)
        env.pop("XSCREENSAVER_WINDOW", None)
        for name, value in changes.items():
            if value is None:
                env.pop(name, None)
            else:
                env[name] = value
        return env

    def start(self, *args, env=None):
        program = subprocess.Popen([self.session.program, *args], env=env or self.env(), stdin=subprocess.DEVNULL,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.addCleanup(self._end, program)
        return program

    def run_program(self, *args, env=None):
        """A run that must end by itself: (status, stdout, stderr)."""
        program = self.start(*args, env=env)
        try:
            out, err = program.communicate(timeout=END_S)
        except subprocess.TimeoutExpired:
            self.fail(f"roamlets {' '.join(args)} did not end within {END_S} s")
        return program.returncode, out, err

    @staticmethod
    def _end(program):
        if program.poll() is None:
            program.kill()
        program.communicate()

    def assert_ends_within(self, program, within, what):
        """The run's exit status, stderr and peak resident memory in KiB (None when it had already
        been awaited), once it has ended within the time."""
        started = time.monotonic()
        deadline = started + within
        peak = None
        while program.returncode is None:
            pid, status, usage = os.wait4(program.pid, os.WNOHANG)
            if pid:
                program.returncode = os.waitstatus_to_exitcode(status)
                peak = usage.ru_maxrss
                record("roamlets' end", time.monotonic() - started)
            elif time.monotonic() > deadline:
                self._end(program)  # a run left behind would slow down every later one
                self.fail(f"roamlets did not end within {within:.1f} s of {what}")
            else:
                time.sleep(0.01)
        return program.returncode, program.communicate()[1], peak

    def hold(self, program):
        """Stops the program, once it has stopped."""
        program.send_signal(signal.SIGSTOP)

        def stopped():
            with open(f"/proc/{program.pid}/stat") as stat:
                return stat.read().rsplit(")", 1)[1].split()[0] == "T"
        wait_for(stopped, END_S, what="roamlets to stop")

    def assert_ends_with(self, program, code, within, what):
        status, err, _ = self.assert_ends_within(program, within, what)
        self.assertEqual(status, code, f"exit status after {what}; stderr: {err}")

    def assert_keeps_running(self, program, what):
        try:
            code = program.wait(QUIET_S)
        except subprocess.TimeoutExpired:
            return
        self.fail(f"roamlets ended with {code} after {what}; stderr: {program.communicate()[1]}")

    def assert_ends_on_signal(self, program, number, within=CLOSE_S):
        program.send_signal(number)
        self.assert_ends_with(program, 0, within, signal.Signals(number).name)

    def close_deadline_s(self, window):
        """How long an end may take in the run drawing into the window: CLOSE_S,
        plus three frames at the pace its pictures change, which follows its
        settings and whatever else the machine is doing."""
        return after_frames(frame_period(lambda: self.grab(window)), CLOSE_S)

    # Windows.
    def wait_own_window(self, program):
        """The id of the mapped window named Roamlets, once there is one."""
        def mapped():
            if program.poll() is not None:
                self.fail(f"roamlets ended with {program.returncode}: {program.communicate()[1]}")
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Roamlets$"],
                                   env=self.display.env(), stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                   text=True, timeout=30)
            return found.stdout.split()
        windows = wait_for(mapped, APPEAR_S, what="the Roamlets window")
        self.assertEqual(len(windows), 1, "more than one Roamlets window")
        return windows[0]

    def own_windows(self):
        found = subprocess.run(["xdotool", "search", "--name", "^Roamlets$"], env=self.display.env(),
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, timeout=30)
        return found.stdout.split()

    def window_info(self, window):
        """Position, size and override-redirect state from xwininfo."""
        text = self.display.run("xwininfo", "-id", str(window))

        def field(label):
            return re.search(rf"^\s*{label}:\s*(\S+)", text, re.M).group(1)
        return {"x": int(field("Absolute upper-left X")), "y": int(field("Absolute upper-left Y")),
                "width": int(field("Width")), "height": int(field("Height")),
                "override_redirect": field("Override Redirect State") == "yes"}

    def make_window(self, x=200, y=150, width=480, height=320):
        """A plain mapped window of the default visual, made by the test; destroyed at the end of the case."""
        window = self.session.connection.create_window("roamlets e2e target", x, y, width, height)
        self.addCleanup(self.session.connection.destroy_window, window)
        return window

    # Pictures.
    def grab(self, window):
        return self.display.grab(str(window))

    def animating(self, window, program):
        """Two pictures of the window a moment apart, once they differ and are not all black."""
        def pair():
            if program.poll() is not None:
                self.fail(f"roamlets ended with {program.returncode}: {program.communicate()[1]}")
            try:
                first = self.grab(window)
                time.sleep(0.1)
                second = self.grab(window)
            except subprocess.CalledProcessError:
                return None  # not mapped yet
            return (first, second) if first.rgb != second.rgb and lit(first) and lit(second) else None
        return wait_for(pair, APPEAR_S, what=f"the scene to animate in window {window}")

    def wait_for_picture(self, window, good, what):
        """The first picture of the window for which good(picture) holds; the last one is saved when
        none does in time."""
        last = []

        def grab():
            last[:] = [self.grab(window)]
            return last[0] if good(last[0]) else None
        try:
            return wait_for(grab, APPEAR_S, what=what)
        except AssertionError:
            if last:
                self.save_shot(last[0], "timed-out")
            raise

    def save_shot(self, picture, name):
        picture.save_png(os.path.join(self.session.shots, f"{self.id().split('.', 1)[1]}-{name}.png"))

    def assert_shows_scene(self, window, name):
        """Waits for a picture of the window that shows the whole scene, and saves it."""
        picture = self.wait_for_picture(window, lambda p: not pictures.missing_from_scene(p),
                                        f"the whole scene in window {window}")
        self.save_shot(picture, name)

    # The settings store.
    def settings_path(self):
        return os.path.join(self.config_home, "Vantorix", "ScreenSavers", "Roamlets.conf")

    def write_settings(self, values):
        os.makedirs(os.path.dirname(self.settings_path()), exist_ok=True)
        with open(self.settings_path(), "w") as out:
            out.writelines(f"{name}={value}\n" for name, value in values.items())

    def stored_settings(self):
        with open(self.settings_path()) as stored:
            lines = [line.strip() for line in stored if line.strip() and not line.startswith("#")]
        return {name: int(value) for name, value in (line.split("=", 1) for line in lines)}

    def config_files(self):
        return [os.path.relpath(os.path.join(folder, name), self.config_home)
                for folder, _, names in os.walk(self.config_home) for name in names]
