"""Wine's known misbehaviours that a case has to work around to set up.

Each is tried a bounded number of times. A case that still cannot set up ends
with QuirkMet, which names the quirk: the run reports it as an error of the
set-up, not as a failure of the program. Checks of the program's own
behaviour stay outside the tries, so a program that does the wrong thing
still fails its case."""

import time


class Quirk:
    def __init__(self, name, what):
        self.name, self.what = name, what


# Under Wine a full-screen window comes over a topmost window once more
# shortly after it has taken the foreground (measured: over an overlay made
# right then in 23 of 24 tries, within half a second; never over one made 2 s
# later). On a busy machine it can come back more than once.
TOPMOST_LOST = Quirk("topmost-lost", "the full-screen saver came back over a topmost window of the driver")

# Under Wine the pointer's first entry into another process's window sometimes
# reaches the window below it too, so a saver can see a movement that only its
# neighbour should.
POINTER_ENTRY = Quirk("pointer-entry", "the pointer's entry into a window of the driver reached the saver")


# Wine's CreateProcess fails with ERROR_INTERNAL_ERROR (1359) when the new
# process ends before Wine has finished starting it, that is before the
# program's entry point ran. Seen once, on a machine kept busy by other work.
NOT_STARTED = Quirk("not-started", "Wine's CreateProcess failed with error 1359: the process ended while Wine started it")


# Under load, `wineboot -i` making a prefix sometimes ends with status 1
# although its log reads as on every other try (seen once in a run of the
# suite beside two busy processes).
BOOT_FAILED = Quirk("boot-failed", "wineboot could not make the prefix")


class QuirkMet(Exception):
    """Set-up met a known quirk of Wine on every try."""


def set_up(attempt, tries=3):
    """Calls attempt() up to `tries` times and returns its first result other
    than a Quirk. attempt() returns the Quirk it met after undoing its own
    steps; it raises as usual when the program itself did something wrong."""
    met = {}
    for _ in range(tries):
        result = attempt()
        if not isinstance(result, Quirk):
            return result
        met[result] = met.get(result, 0) + 1
    raise QuirkMet(f"could not set up in {tries} tries; Wine quirks met: "
                   + "; ".join(f"{q.name} ({q.what}) {n} times" for q, n in met.items()))


def hold(condition, settle_s, timeout_s, mend):
    """True once condition() has held for settle_s, calling mend() whenever it
    does not; False when that did not happen within timeout_s."""
    deadline = time.monotonic() + timeout_s
    since = None
    while True:
        now = time.monotonic()
        if condition():
            since = since or now
            if now - since >= settle_s:
                return True
        else:
            since = None
            mend()
        if now > deadline:
            return False
        time.sleep(0.1)
