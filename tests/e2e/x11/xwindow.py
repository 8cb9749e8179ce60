"""A connection of the test's own to the X display, through libX11: it makes
plain windows of the default visual for a hack run to draw into, asks windows
to close as a window manager does, and destroys them. The connection stays
open for the whole run, so the windows live as long as a case wants them, and
the server never resets between programs (an Xvfb resets when its last client
leaves, which puts the pointer back at the centre of the screen)."""

import ctypes
import ctypes.util

_CLIENT_MESSAGE = 33
# Xlib's own handler ends the process on an X error, such as a request about a
# window that has just gone; the run reports what the cases check instead.
_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)


class _ClientMessage(ctypes.Structure):
    """XClientMessageEvent, padded to the size of an XEvent."""
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 12)]


def _x11():
    path = ctypes.util.find_library("X11")
    if not path:
        raise RuntimeError("libX11 is not installed")
    lib = ctypes.CDLL(path)
    lib.XOpenDisplay.restype = ctypes.c_void_p
    lib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    lib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    lib.XDefaultScreen.argtypes = [ctypes.c_void_p]
    lib.XRootWindow.restype = ctypes.c_ulong
    lib.XRootWindow.argtypes = [ctypes.c_void_p, ctypes.c_int]
    lib.XBlackPixel.restype = ctypes.c_ulong
    lib.XBlackPixel.argtypes = [ctypes.c_void_p, ctypes.c_int]
    lib.XCreateSimpleWindow.restype = ctypes.c_ulong
    lib.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                        ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_ulong]
    lib.XCreateWindow.restype = ctypes.c_ulong
    lib.XCreateWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                  ctypes.c_uint, ctypes.c_uint, ctypes.c_int, ctypes.c_uint, ctypes.c_void_p,
                                  ctypes.c_ulong, ctypes.c_void_p]
    lib.XResizeWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_uint, ctypes.c_uint]
    lib.XStoreName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_char_p]
    lib.XMapWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    lib.XUnmapWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    lib.XDestroyWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    lib.XInternAtom.restype = ctypes.c_ulong
    lib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    lib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    lib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    lib.XSetErrorHandler.restype = ctypes.c_void_p
    lib.XSetErrorHandler.argtypes = [_ERROR_HANDLER]
    return lib


class Connection:
    def __init__(self, display_name):
        self._x = _x11()
        self._display = self._x.XOpenDisplay(display_name.encode())
        if not self._display:
            raise RuntimeError(f"cannot open display {display_name}")
        self._screen = self._x.XDefaultScreen(self._display)
        self._ignore_errors = _ERROR_HANDLER(lambda display, error: 0)  # kept alive while Xlib may call it
        self._x.XSetErrorHandler(self._ignore_errors)

    def create_window(self, name, x, y, width, height):
        """A mapped top-level window with a black background; its id."""
        black = self._x.XBlackPixel(self._display, self._screen)
        window = self._x.XCreateSimpleWindow(self._display, self._x.XRootWindow(self._display, self._screen),
                                             x, y, width, height, 0, black, black)
        self._x.XStoreName(self._display, window, name.encode())
        self._x.XMapWindow(self._display, window)
        self._x.XSync(self._display, 0)
        return window

    def create_input_only_window(self, x, y, width, height):
        """A mapped top-level window that takes input but cannot be drawn into; its id."""
        input_only, copy_from_parent = 2, 0
        window = self._x.XCreateWindow(self._display, self._x.XRootWindow(self._display, self._screen), x, y,
                                       width, height, 0, copy_from_parent, input_only, None, 0, None)
        self._x.XMapWindow(self._display, window)
        self._x.XSync(self._display, 0)
        return window

    def resize(self, window, width, height):
        self._x.XResizeWindow(self._display, window, width, height)
        self._x.XSync(self._display, 0)

    def expose(self, window):
        """Unmaps and maps the window again, so that whoever draws into it is asked to redraw."""
        self._x.XUnmapWindow(self._display, window)
        self._x.XMapWindow(self._display, window)
        self._x.XSync(self._display, 0)

    def destroy_window(self, window):
        self._x.XDestroyWindow(self._display, window)
        self._x.XSync(self._display, 0)

    def ask_to_close(self, window):
        """What a window manager's close button does: a WM_DELETE_WINDOW message to the window."""
        event = _ClientMessage(type=_CLIENT_MESSAGE, send_event=1, window=window,
                               message_type=self._x.XInternAtom(self._display, b"WM_PROTOCOLS", 0), format=32)
        event.data[0] = self._x.XInternAtom(self._display, b"WM_DELETE_WINDOW", 0)
        if not self._x.XSendEvent(self._display, window, 0, 0, ctypes.byref(event)):
            raise RuntimeError(f"cannot send a message to window {window}")
        self._x.XSync(self._display, 0)

    def close(self):
        if self._display:
            self._x.XCloseDisplay(self._display)
            self._display = None
