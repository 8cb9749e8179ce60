"""What the whole run shares: one virtual display and one prefix template."""

import os
import shutil
import time

from e2e.harness.display import Display

from . import config
from .prefix import Prefix, make_template

_current = None


class Session:
    def __init__(self):
        cfg = config.current
        os.makedirs(cfg.work, exist_ok=True)
        os.makedirs(cfg.shots, exist_ok=True)
        self.display = Display.start_virtual(cfg.work)
        started = time.monotonic()
        self.template = os.path.join(cfg.work, "prefix-template")
        try:
            make_template(self.display, self.template)
        except BaseException:
            self.display.close()  # no session to close at the end of the run
            raise
        self.template_seconds = time.monotonic() - started
        self.prefixes = 0

    def new_prefix(self, name):
        self.prefixes += 1
        return Prefix(self.display, self.template, os.path.join(config.current.work, f"prefix-{name}"))

    def close(self):
        self.display.close()
        shutil.rmtree(self.template, ignore_errors=True)


def get():
    global _current
    if _current is None:
        _current = Session()
    return _current


def close():
    """Ends the display and removes the template; returns the session or None."""
    global _current
    finished, _current = _current, None
    if finished:
        finished.close()
    return finished
