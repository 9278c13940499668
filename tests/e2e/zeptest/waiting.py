"""Polling for a condition with a bound."""

import time


def wait_for(condition, timeout=30.0, what="condition"):
    """condition()'s first true result, polled every 0.1 s; AssertionError after `timeout` s."""
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        result = condition()
        if result:
            return result
        time.sleep(0.1)
    raise AssertionError(f"timed out waiting for {what}")
