"""A corvane-tray run for the Python tests: lines to its standard input, its event lines read on a thread
of their own and awaited with the GLib main loop turning (glib_wait), so AT-SPI and D-Bus stay served."""

import queue
import subprocess
import threading

from glib_wait import pump_until


class CorvaneRun:
    def __init__(self, argv, environment):
        self.process = subprocess.Popen(argv, env=environment, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        text=True)
        self.lines = queue.Queue()
        threading.Thread(target=self.read, daemon=True).start()

    def read(self):
        for line in self.process.stdout:
            self.lines.put(line.rstrip("\n"))

    def send(self, line):
        self.process.stdin.write(line + "\n")
        self.process.stdin.flush()

    def next_line(self, patience=20.0):
        pump_until(lambda: not self.lines.empty(), "an event line", patience)
        return self.lines.get_nowait()

    def expect(self, line):
        got = self.next_line()
        if got != line:
            raise AssertionError("expected %s, got %s" % (line, got))
