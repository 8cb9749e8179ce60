"""A virtual X display (Xvfb) for the whole run, and the X side of the checks:
real input through xdotool, the window tree through xwininfo, pictures of
windows through ImageMagick's import, and the cursor the user sees through the
XFixes extension."""

import ctypes
import ctypes.util
import os
import re
import subprocess
import time

from . import pictures

WIDTH, HEIGHT = 1280, 1024


class Display:
    """An X display by name; `start_virtual` starts an Xvfb of its own."""

    def __init__(self, name, server=None):
        self.name, self.server = name, server

    @classmethod
    def start_virtual(cls, work, size=(WIDTH, HEIGHT)):
        """Xvfb of the given size on a display number it picks itself (-displayfd)."""
        os.makedirs(work, exist_ok=True)
        number_file = os.path.join(work, "display-number")
        with open(number_file, "w") as out, open(os.path.join(work, "xvfb.log"), "w") as log:
            server = subprocess.Popen(
                ["Xvfb", "-displayfd", str(out.fileno()), "-screen", "0", f"{size[0]}x{size[1]}x24", "-nolisten", "tcp"],
                pass_fds=(out.fileno(),), stdout=log, stderr=subprocess.STDOUT)
        deadline = time.monotonic() + 30
        while True:
            with open(number_file) as got:
                text = got.read()
            if text.endswith("\n"):  # Xvfb writes the number once it accepts clients
                return cls(":" + text.strip(), server)
            if server.poll() is not None or time.monotonic() > deadline:
                server.kill()
                raise RuntimeError("Xvfb did not start (see xvfb.log)")
            time.sleep(0.05)

    def close(self):
        """Stops the Xvfb that start_virtual started."""
        if self.server and self.server.poll() is None:
            self.server.terminate()
            try:
                self.server.wait(10)
            except subprocess.TimeoutExpired:
                self.server.kill()
                self.server.wait()

    def env(self):
        return dict(os.environ, DISPLAY=self.name)

    def run(self, *command):
        return subprocess.run(command, env=self.env(), check=True, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, text=True, timeout=30).stdout

    # Real input, as a user gives it.
    def move_pointer(self, x, y):
        # Not --sync: it waits for a motion event, and a move to where the pointer is has none.
        self.run("xdotool", "mousemove", str(x), str(y))
        if self.pointer() != (x, y):
            raise AssertionError(f"the pointer did not move to ({x}, {y})")

    def pointer(self):
        values = dict(re.findall(r"(\w+):(-?\d+)", self.run("xdotool", "getmouselocation")))
        return int(values["x"]), int(values["y"])

    def press_key(self, key):
        self.run("xdotool", "key", key)

    def click(self, button):
        self.run("xdotool", "click", str(button))

    # The window tree.
    def is_mapped_above(self, title, lower_title):
        """True when the top-level X window named `title` is viewable and stacked
        above the one named `lower_title` (Wine maps and restacks X windows a
        moment after the Windows side changes)."""
        # xwininfo lists the root's children from the top of the stack down.
        names = re.findall(r'^\s+0x[0-9a-f]+ "(.*)": ', self.run("xwininfo", "-root", "-children"), re.M)
        if title not in names or lower_title not in names or names.index(title) > names.index(lower_title):
            return False
        return "IsViewable" in self.run("xwininfo", "-name", title)

    def offscreen_scene_window(self):
        """The X window that Wine draws an OpenGL child window into: the largest
        child of the 1x1 top-level window at (-1,-1); None while there is none."""
        tree = self.run("xwininfo", "-root", "-tree")
        best, best_area, holder_depth = None, 0, None
        for line in tree.splitlines():
            found = re.match(r"^(\s*)(0x[0-9a-f]+) .*?\s(\d+)x(\d+)\+(-?\d+)\+(-?\d+)\s+\+(-?\d+)\+(-?\d+)\s*$", line)
            if not found:
                continue
            depth = len(found.group(1))
            width, height = int(found.group(3)), int(found.group(4))
            x, y = int(found.group(5)), int(found.group(6))
            if holder_depth is not None and depth <= holder_depth:
                holder_depth = None
            if width == 1 and height == 1 and x == -1 and y == -1:
                holder_depth = depth
            elif holder_depth is not None and depth > holder_depth and width * height > best_area:
                best, best_area = found.group(2), width * height
        return best

    def grab(self, window_id):
        """The window's pixels as a pictures.Picture."""
        data = subprocess.run(["import", "-window", window_id, "-depth", "8", "ppm:-"], env=self.env(), check=True,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=30).stdout
        return pictures.Picture.from_ppm(data)

    def grab_scene(self, timeout=10.0):
        """A picture of the off-screen scene window, waiting for it to exist."""
        deadline = time.monotonic() + timeout
        while True:
            window = self.offscreen_scene_window()
            if window:
                try:
                    return self.grab(window)
                except subprocess.CalledProcessError:
                    pass  # the window went away between the listing and the grab
            if time.monotonic() > deadline:
                raise AssertionError("no off-screen OpenGL window appeared")
            time.sleep(0.1)

    def animating_scene(self, timeout=20.0):
        """Two pictures of the scene a moment apart, once they differ and are not all black."""
        deadline = time.monotonic() + timeout
        while True:
            first = self.grab_scene(timeout)
            second = self.grab_scene(timeout)
            if first.rgb != second.rgb and first.rgb.count(0) < len(first.rgb):
                return first, second
            if time.monotonic() > deadline:
                raise AssertionError(f"the scene did not animate within {timeout} s")
            time.sleep(0.1)

    # The cursor as the user sees it.
    def cursor_is_invisible(self):
        """True when every pixel of the current cursor image is transparent."""
        return _cursor_alpha_sum(self.name) == 0


class _CursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short),
                ("width", ctypes.c_ushort), ("height", ctypes.c_ushort),
                ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong)),
                ("atom", ctypes.c_ulong), ("name", ctypes.c_char_p)]


def _library(name):
    path = ctypes.util.find_library(name)
    if not path:
        raise RuntimeError(f"lib{name} is not installed")
    return ctypes.CDLL(path)


def _cursor_alpha_sum(display_name):
    """Sum of the alpha bytes of XFixesGetCursorImage's ARGB pixels."""
    x11 = _library("X11")
    xfixes = _library("Xfixes")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x11.XFree.argtypes = [ctypes.c_void_p]
    xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(_CursorImage)
    xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(display_name.encode())
    if not display:
        raise RuntimeError(f"cannot open display {display_name}")
    try:
        image = xfixes.XFixesGetCursorImage(display)
        if not image:
            raise RuntimeError("XFixesGetCursorImage failed")
        try:
            cursor = image.contents
            count = cursor.width * cursor.height
            return sum((cursor.pixels[i] >> 24) & 0xFF for i in range(count))
        finally:
            x11.XFree(image)
    finally:
        x11.XCloseDisplay(display)
