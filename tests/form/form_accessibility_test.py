#!/usr/bin/python3
"""The form as a screen reader meets it over AT-SPI.

A test desktop of its own (Xvfb, a private session bus, the accessibility bus launcher), the real
corvane-tray in form mode, and an AT-SPI client that reads the accessible tree and records every event
the form sends, while xdotool types an Access Key into the form as a user would. No event, name,
description or text may carry the key or any part of it.

    form_accessibility_test.py path/to/corvane-tray
"""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from corvane_run import CorvaneRun  # noqa: E402
from glib_wait import pump_until  # noqa: E402

TRAY = None
PATIENCE = 20.0
# Characters that appear in no text of the form, so that any of them in an event came from the key.
KEY = "Zq7x9Jw3"


class Desktop:
    """The accessibility bus on the private desktop, ended by its process id."""

    def __init__(self):
        self.scratch = tempfile.mkdtemp(prefix="corvane-a11y-")
        self.processes = []
        # The private desktop this runs on (scripts/private-desktop) gives the display and the session bus.
        self.environment = dict(os.environ, XDG_RUNTIME_DIR=self.scratch, TMPDIR=self.scratch, HOME=self.scratch)
        for name in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORMTHEME", "XDG_CURRENT_DESKTOP", "CORVANE_UI_READY_MARKER"):
            self.environment.pop(name, None)
        self.start(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], env=self.environment,
                   stderr=subprocess.DEVNULL)

    def start(self, argv, **options):
        process = subprocess.Popen(argv, **options)
        self.processes.append(process)
        return process

    def close(self):
        for process in reversed(self.processes):
            process.terminate()
            process.wait(PATIENCE)
        shutil.rmtree(self.scratch, ignore_errors=True)

    def xdotool(self, *arguments):
        done = subprocess.run(["xdotool", *arguments], env=self.environment, capture_output=True, text=True,
                              timeout=PATIENCE, check=True)
        return done.stdout


DESKTOP = None
pyatspi = None


class Form(CorvaneRun):
    """corvane-tray in form mode."""

    def __init__(self, mode, project_root):
        environment = dict(DESKTOP.environment, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
                           CORVANE_TRAY_INSTANCE_ID="a" * 64)
        super().__init__([TRAY, "form", "--smoke"], environment)
        self.expect('{"event":"ready"}')
        self.send('{"type":"form","mode":"%s","projectRoot":"%s"}' % (mode, project_root))
        self.expect('{"event":"form-presented","mode":"%s"}' % mode)
        self.expect('{"event":"form-visible"}')

    def close(self):
        self.process.stdin.close()
        self.process.wait(PATIENCE)

    def application(self):
        for application in pyatspi.Registry.getDesktop(0):
            if application is not None and application.get_process_id() == self.process.pid:
                return application
        return None

    def window(self):
        """The form's top-level accessible, once the client sees it."""
        pump_until(lambda: self.application() is not None and self.application().childCount > 0,
                   "the form on the accessibility bus")
        return self.application()[0]

    def focus_window(self):
        window = DESKTOP.xdotool("search", "--sync", "--onlyvisible", "--name", "^Corvane$").split()[0]
        DESKTOP.xdotool("windowfocus", "--sync", window)


def descendants(accessible):
    for child in accessible:
        if child is not None:
            yield child
            yield from descendants(child)


def find(root, role, name=None):
    for accessible in descendants(root):
        if accessible.getRoleName() == role and (name is None or accessible.name == name):
            return accessible
    raise AssertionError("no %s named %r in the tree" % (role, name))


def states(accessible):
    return {pyatspi.stateToString(state) for state in accessible.getState().getStates()}


def text_of(data):
    """The text an event carries: a string as it is; the name and description of an object."""
    if isinstance(data, str):
        return data
    if hasattr(data, "name") and hasattr(data, "description"):
        return "%s %s" % (data.name or "", data.description or "")
    return ""


class Recorder:
    """Every event of the form's process, as (type, source role, source name, any_data as text)."""

    def __init__(self, form):
        self.form = form
        self.events = []
        pyatspi.Registry.registerEventListener(self.record, "object:", "window:", "focus:")

    def record(self, event):
        source = event.source
        try:
            if source is None or source.get_process_id() != self.form.process.pid:
                return
            self.events.append((event.type, source.getRoleName(), source.name or "", source.description or "",
                                text_of(event.any_data)))
        except Exception:  # an object already gone: its event still counts, without its source
            self.events.append((event.type, "", "", "", text_of(event.any_data)))

    def close(self):
        pyatspi.Registry.deregisterEventListener(self.record, "object:", "window:", "focus:")

    def of(self, kind, role=None):
        return [event for event in self.events if event[0].startswith(kind) and (role is None or event[1] == role)]


def leaks(texts):
    """The texts that hold any character of the key."""
    return [text for text in texts if any(character in text for character in KEY)]


class FormAccessibility(unittest.TestCase):
    def setUp(self):
        self.form = None
        self.recorder = None

    def tearDown(self):
        if self.recorder:
            self.recorder.close()
        if self.form:
            self.form.close()

    def open(self, mode, project_root):
        self.form = Form(mode, project_root)
        self.recorder = Recorder(self.form)
        return self.form.window()

    def test_tree_names_every_control_and_ties_the_folder_to_its_button(self):
        window = self.open("setup", "/srv/project")
        self.assertEqual((window.getRoleName(), window.name), ("frame", "Corvane"))
        key = find(window, "password text", "Access Key")
        self.assertIn("focused", states(key))
        choose = find(window, "push button", "选择…")
        folder = find(window, "label", "/srv/project")
        labels = [relation for relation in folder.getRelationSet()
                  if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY]
        self.assertEqual([target.name for relation in labels
                          for target in (relation.getTarget(i) for i in range(relation.getNTargets()))],
                         [choose.name])
        spinner = find(window, "progress bar")
        self.assertTrue(spinner.name)
        self.assertNotIn("busy", states(spinner))
        status = find(window, "status bar")
        for accessible in descendants(window):
            if accessible.getRoleName() == "filler":
                self.assertFalse(accessible.name or accessible.description, "a named filler stands for a control")
        # A submit: the spinner reports busy and the status line announces the check.
        self.form.focus_window()
        DESKTOP.xdotool("type", "k")
        DESKTOP.xdotool("key", "Return")
        self.assertEqual(self.form.next_line(), '{"accessKey":"k","event":"submit","projectRoot":"\\/srv\\/project"}')
        pump_until(lambda: "busy" in states(spinner), "the spinner reporting busy")
        verifying = "正在验证 Access Key…"
        pump_until(lambda: any(event[1] == "status bar" and event[2] == verifying
                               for event in self.recorder.of("object:property-change:accessible-name")),
                   "the check announced")
        self.assertEqual(status.name, verifying)

    def test_typed_and_cleared_key_never_reaches_the_bus(self):
        window = self.open("replace-key", "")
        key = find(window, "password text", "Access Key")
        self.form.focus_window()
        DESKTOP.xdotool("type", "--delay", "20", KEY)
        pump_until(lambda: len(self.recorder.of("object:text-changed:insert")) >= len(KEY), "the typed characters")
        DESKTOP.xdotool("key", "Return")
        self.assertEqual(self.form.next_line(), '{"accessKey":"%s","event":"submit"}' % KEY)
        self.form.send('{"type":"form-result","phase":"success","message":"已更换。"}')
        self.form.next_line()
        pump_until(lambda: self.recorder.of("object:text-changed:delete"), "the key field cleared")
        pump_until(lambda: any(event[2] == "已更换。" for event in self.recorder.of("object:property-change")),
                   "the success message announced")

        texts = [text for event in self.recorder.events for text in event[2:]]
        self.assertEqual(leaks(texts), [])
        for accessible in [window, *descendants(window)]:
            self.assertEqual(leaks([accessible.name or "", accessible.description or ""]), [])
        self.assertEqual(key.queryText().getText(0, -1), "")
        self.assertEqual(key.getRoleName(), "password text")

    def test_refused_submit_is_announced_and_leaves_the_focus_in_the_key_field(self):
        window = self.open("setup", "")
        key = find(window, "password text", "Access Key")
        status = find(window, "status bar")
        self.form.focus_window()
        DESKTOP.xdotool("type", "--delay", "20", KEY)
        pump_until(lambda: key.queryText().characterCount == len(KEY), "the typed key")
        DESKTOP.xdotool("key", "Return")
        refusal = "请输入 Access Key，并选择项目目录。"
        pump_until(lambda: status.name == refusal, "the refusal on the status line")
        pump_until(lambda: any(event[1] == "status bar" and event[2] == refusal
                               for event in self.recorder.of("object:property-change:accessible-name")),
                   "the refusal announced")
        self.assertIn("focused", states(key))
        self.assertEqual(leaks([text for event in self.recorder.events for text in event[2:]]), [])


def main():
    global TRAY, DESKTOP, pyatspi
    TRAY = os.path.abspath(sys.argv.pop(1))
    DESKTOP = Desktop()
    try:
        import pyatspi as client
        pyatspi = client
        unittest.main(verbosity=2)
    finally:
        DESKTOP.close()


if __name__ == "__main__":
    main()
