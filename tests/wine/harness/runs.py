"""What the end-to-end runs under Wine and on X share: picking the cases a
run was asked for, and polling for what must happen."""

import time
import unittest


def selected(suite, filters):
    """The cases of `suite` whose id contains one of `filters` (all without filters)."""
    for item in suite:
        if isinstance(item, unittest.TestSuite):
            yield from selected(item, filters)
        elif not filters or any(f in item.id() for f in filters):
            yield item


def wait_for(condition, timeout, interval=0.05, what="the condition"):
    """Polls until condition() returns something true and returns it."""
    deadline = time.monotonic() + timeout
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)
