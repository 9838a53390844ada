"""Waiting in the Python tests: runs the GLib main loop (D-Bus services, the AT-SPI client) until a
condition holds, and fails once the patience has run out. Each turn either handles what is pending or
yields for 5 ms, so conditions fed by reader threads are seen too."""

import time

from gi.repository import GLib


def pump_until(condition, what, patience=20.0):
    context = GLib.MainContext.default()
    deadline = time.monotonic() + patience
    while not condition():
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        if not context.iteration(False):
            time.sleep(0.005)
