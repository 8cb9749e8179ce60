"""What the end-to-end runs under Wine and on X share: picking the cases a
run was asked for, polling for what must happen, deadlines that follow the
pace a run was measured at, and a record of the longest waits."""

import re
import time
import unittest


def selected(suite, filters):
    """The cases of `suite` whose id contains one of `filters` (all without filters)."""
    for item in suite:
        if isinstance(item, unittest.TestSuite):
            yield from selected(item, filters)
        elif not filters or any(f in item.id() for f in filters):
            yield item


# The longest wait of each kind in this run: {kind: seconds}. Numbers (process
# ids, window handles) are left out of the kind, so that every run of one wait
# counts as one kind.
longest = {}


def record(what, seconds):
    kind = re.sub(r"\d+", "N", what)
    longest[kind] = max(longest.get(kind, 0.0), seconds)


def longest_waits(count=8):
    """The longest waits of the run, longest first, one line each."""
    ranked = sorted(longest.items(), key=lambda item: -item[1])[:count]
    return [f"{seconds:6.2f} s  {kind}" for kind, seconds in ranked]


def wait_for(condition, timeout, interval=0.05, what="the condition"):
    """Polls until condition() returns something true and returns it."""
    started = time.monotonic()
    deadline = started + timeout
    while True:
        result = condition()
        if result:
            record(what, time.monotonic() - started)
            return result
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


def frame_period(grab, changes=3, timeout=120):
    """How long the program takes per frame, as the pictures show it: the
    longest time between two changes of the picture, over `changes` of them.
    Each time is off by at most the time one picture takes to grab, small
    beside the frames a deadline built on it allows."""
    started = time.monotonic()
    deadline = started + timeout
    last, changed_at, longest_gap, seen = grab(), None, 0.0, 0
    while seen < changes:
        if time.monotonic() > deadline:
            raise AssertionError(f"the picture changed {seen} times in {timeout} s")
        picture = grab()
        now = time.monotonic()
        if picture.rgb != last.rgb:
            if changed_at is not None:
                longest_gap = max(longest_gap, now - changed_at)
                seen += 1
            changed_at, last = now, picture
    record("a frame (measured)", longest_gap)
    return longest_gap


def after_frames(period, floor, frames=3):
    """A deadline in seconds for what waits on the frame in flight: the floor
    (what it takes with frames that cost nothing), plus `frames` of the
    measured period, so that it follows the settings and the machine's load."""
    return floor + frames * period
