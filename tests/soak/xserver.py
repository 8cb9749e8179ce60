"""What the soak runs need of the X server beyond the harness's Display: the
server's own screen saver switched off, and a count of the frames a program
shows in a window.

An Xvfb blanks its screen after 10 minutes without input, as any X server
does; a run that gives no input for that long would have its last pictures
taken of a blanked screen. Settings of the server last while a client stays
connected, so the connection that switched it off is kept open until the
run ends.

Frames are counted with the DAMAGE extension: each frame that the program
puts on the window damages it, and the counter clears the damage after each
report, so at the frame rates of a run under valgrind (a few a second) each
report is one frame. It measures from outside: the program runs unchanged."""

import ctypes
import ctypes.util
import threading
import time

_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
# XDamageReportNonEmpty: one event when the window's damage goes from empty to not empty.
_REPORT_NON_EMPTY = 3
_XDAMAGE_NOTIFY = 0


def _library(name):
    path = ctypes.util.find_library(name)
    if not path:
        raise RuntimeError(f"lib{name} is not installed")
    return ctypes.CDLL(path)


def _x11():
    x11 = _library("X11")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x11.XSetScreenSaver.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int, ctypes.c_int]
    x11.XGetScreenSaver.argtypes = [ctypes.c_void_p] + [ctypes.POINTER(ctypes.c_int)] * 4
    x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x11.XPending.argtypes = [ctypes.c_void_p]
    x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
    x11.XSetErrorHandler.restype = ctypes.c_void_p
    x11.XSetErrorHandler.argtypes = [_ERROR_HANDLER]
    return x11


# Xlib's own handler ends the process on an X error, such as a request about a
# window that has just gone; a count about a window that went just stops.
_ignore_errors = _ERROR_HANDLER(lambda display, error: 0)


def _open(x11, display_name):
    x11.XSetErrorHandler(_ignore_errors)
    display = x11.XOpenDisplay(display_name.encode())
    if not display:
        raise RuntimeError(f"cannot open display {display_name}")
    return display


class ScreenSaverOff:
    """Switches the X server's screen saver off for as long as this object is open."""

    def __init__(self, display_name):
        self._x11 = _x11()
        self._display = _open(self._x11, display_name)
        self._x11.XSetScreenSaver(self._display, 0, 0, 0, 1)  # timeout 0: never
        timeout = ctypes.c_int(-1)
        ignored = [ctypes.c_int() for _ in range(3)]
        self._x11.XGetScreenSaver(self._display, ctypes.byref(timeout), *(ctypes.byref(i) for i in ignored))
        if timeout.value != 0:
            self.close()
            raise RuntimeError("the X server kept its screen saver on")

    def close(self):
        if self._display:
            self._x11.XCloseDisplay(self._display)
            self._display = None


class FrameCounter:
    """Counts the frames shown in one window, on a connection and a thread of its own."""

    def __init__(self, display_name, window):
        self.frames = 0
        self.first_frame_at = None  # time.monotonic() of the first frame
        self._stop = threading.Event()
        self._ready = threading.Event()
        self._error = None
        self._thread = threading.Thread(target=self._count, args=(display_name, window), daemon=True)
        self._thread.start()
        self._ready.wait(30)
        if self._error:
            raise RuntimeError(self._error)

    def _count(self, display_name, window):
        x11 = _x11()
        damage_lib = _library("Xdamage")
        damage_lib.XDamageQueryExtension.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int),
                                                     ctypes.POINTER(ctypes.c_int)]
        damage_lib.XDamageCreate.restype = ctypes.c_ulong
        damage_lib.XDamageCreate.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int]
        damage_lib.XDamageSubtract.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong]
        damage_lib.XDamageDestroy.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        try:
            display = _open(x11, display_name)
        except RuntimeError as error:
            self._error = str(error)
            self._ready.set()
            return
        try:
            event_base, error_base = ctypes.c_int(), ctypes.c_int()
            if not damage_lib.XDamageQueryExtension(display, ctypes.byref(event_base), ctypes.byref(error_base)):
                self._error = "the X server has no DAMAGE extension"
                return
            damage = damage_lib.XDamageCreate(display, window, _REPORT_NON_EMPTY)
            x11.XSync(display, 0)
            self._ready.set()
            event = (ctypes.c_long * 24)()  # an XEvent
            notify = event_base.value + _XDAMAGE_NOTIFY
            while not self._stop.is_set():
                if not x11.XPending(display):
                    time.sleep(0.005)
                    continue
                x11.XNextEvent(display, event)
                if ctypes.c_int.from_buffer(event).value == notify:
                    damage_lib.XDamageSubtract(display, damage, 0, 0)
                    if self.first_frame_at is None:
                        self.first_frame_at = time.monotonic()
                    self.frames += 1
            damage_lib.XDamageDestroy(display, damage)
        finally:
            self._ready.set()
            x11.XCloseDisplay(display)

    def restart(self):
        """Counts from zero again, forgetting the first frame: for a window that was drawn before."""
        self.first_frame_at = None
        self.frames = 0

    def close(self):
        self._stop.set()
        self._thread.join(10)
