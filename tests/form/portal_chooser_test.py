#!/usr/bin/python3
"""The folder choice through the desktop's portal.

A private session bus with a FileChooser portal of our own (org.freedesktop.portal.Desktop), which
records what it is asked and answers as a user of the desktop's chooser would. The real corvane-tray
in choose-folder mode must ask the portal for one folder with our texts and start folder, and report
the portal's answer in its one "folder-result" event, fields unchanged; in form mode (on a virtual
display, keys from xdotool) the choose button must ask the portal over the form's window and send the
folder it answers with the next submit.

    portal_chooser_test.py path/to/corvane-tray
"""

import json
import os
import queue
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import unittest
from urllib.parse import quote

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib  # noqa: F401 (the main loop dbus-python runs on)

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from glib_wait import pump_until  # noqa: E402

TRAY = None
PATIENCE = 20.0
PORTAL = "org.freedesktop.portal.Desktop"
PORTAL_PATH = "/org/freedesktop/portal/desktop"


class Request(dbus.service.Object):
    def __init__(self, connection, path, portal):
        super().__init__(connection, path)
        self.portal = portal

    @dbus.service.signal("org.freedesktop.portal.Request", signature="ua{sv}")
    def Response(self, response, results):
        pass

    @dbus.service.method("org.freedesktop.portal.Request")
    def Close(self):
        self.portal.closed += 1


class FileChooser(dbus.service.Object):
    """Answers OpenFile with `answer`: (response code, folder or None), or never when it is None."""

    def __init__(self, connection):
        super().__init__(connection, PORTAL_PATH)
        self.bus_connection = connection
        self.answer = None
        self.calls = []
        self.closed = 0
        self.requests = []

    @dbus.service.method("org.freedesktop.DBus.Properties", in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        if (interface, name) != ("org.freedesktop.portal.FileChooser", "version"):
            raise dbus.exceptions.DBusException("no such property", name="org.freedesktop.DBus.Error.InvalidArgs")
        return dbus.UInt32(3)

    @dbus.service.method("org.freedesktop.portal.FileChooser", in_signature="ssa{sv}", out_signature="o",
                         sender_keyword="sender")
    def OpenFile(self, parent, title, options, sender):
        token = str(options.get("handle_token", "t%d" % len(self.calls)))
        path = "%s/request/%s/%s" % (PORTAL_PATH, sender[1:].replace(".", "_"), token)
        request = Request(self.bus_connection, path, self)
        self.requests.append(request)
        self.calls.append({"sender": str(sender), "parent": str(parent), "title": str(title),
                           "options": {str(key): value for key, value in options.items()}})
        if self.answer is not None:
            response, folder = self.answer
            results = {"uris": dbus.Array(["file://" + quote(folder)], signature="s")} if folder else {}
            GLib.idle_add(lambda: request.Response(dbus.UInt32(response), dbus.Dictionary(results, signature="sv"))
                          and False)
        return dbus.ObjectPath(path)


class PortalChooser(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.mkdtemp(prefix="corvane-portal-")
        # The private desktop this runs on (scripts/private-desktop) gives the session bus and the display.
        cls.address = os.environ["DBUS_SESSION_BUS_ADDRESS"]
        DBusGMainLoop(set_as_default=True)
        cls.connection = dbus.bus.BusConnection(cls.address)
        cls.name = dbus.service.BusName(PORTAL, cls.connection)
        cls.home = os.path.join(cls.scratch, "home")
        os.makedirs(cls.home)

    @classmethod
    def tearDownClass(cls):
        cls.name = None  # gives the name back while the connection is still open
        cls.connection.close()
        shutil.rmtree(cls.scratch, ignore_errors=True)

    def setUp(self):
        self.portal = FileChooser(self.connection)
        self.addCleanup(self.portal.remove_from_connection)

    def tearDown(self):
        for request in self.portal.requests:
            request.remove_from_connection()

    def choose(self, *arguments, start=None):
        """Runs the chooser to its end; answers its event lines, parsed."""
        environment = dict(os.environ, DBUS_SESSION_BUS_ADDRESS=self.address, QT_QPA_PLATFORM="offscreen",
                           HOME=self.home, XDG_RUNTIME_DIR=self.scratch, TMPDIR=self.scratch,
                           CORVANE_TRAY_INSTANCE_ID="c" * 64)
        environment.pop("CORVANE_CURRENT_PROJECT_ROOT", None)
        if start is not None:
            environment["CORVANE_CURRENT_PROJECT_ROOT"] = start
        chooser = subprocess.Popen([TRAY, "choose-folder", *arguments], env=environment, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.PIPE, text=True)
        done = queue.Queue()
        threading.Thread(target=lambda: done.put(chooser.communicate()[0]), daemon=True).start()
        pump_until(lambda: not done.empty(), "the chooser's end")
        self.assertEqual(chooser.wait(PATIENCE), 0)
        return [json.loads(line) for line in done.get().splitlines()]

    def test_chosen_folder_comes_back_and_the_portal_got_our_settings(self):
        start = os.path.join(self.scratch, "start")
        chosen = os.path.join(self.scratch, "工程 #1")
        os.makedirs(start, exist_ok=True)
        self.portal.answer = (0, chosen)
        self.assertEqual(self.choose(start=start), [
            {"event": "folder-result", "projectRoot": chosen, "visible": False, "canCreateDirectories": True}])
        self.assertEqual(len(self.portal.calls), 1)
        call = self.portal.calls[0]
        self.assertEqual(call["title"], "选择 Corvane 当前项目目录")
        options = call["options"]
        self.assertEqual((bool(options["directory"]), bool(options["multiple"]), str(options["accept_label"])),
                         (True, False, "选择"))
        self.assertEqual(bytes(options["current_folder"]), start.encode() + b"\0")

    def test_cancel_gives_no_folder_and_without_a_project_folder_it_starts_at_home(self):
        self.portal.answer = (1, None)
        self.assertEqual(self.choose(start=os.path.join(self.scratch, "gone")), [
            {"event": "folder-result", "projectRoot": None, "visible": False, "canCreateDirectories": True}])
        self.assertEqual(bytes(self.portal.calls[0]["options"]["current_folder"]), self.home.encode() + b"\0")

    def test_form_choose_button_asks_over_the_form_and_sends_the_answer_with_the_submit(self):
        chosen = os.path.join(self.scratch, "从门户选择")
        self.portal.answer = None
        environment = dict(os.environ, DBUS_SESSION_BUS_ADDRESS=self.address, QT_QPA_PLATFORM="xcb",
                           HOME=self.home, XDG_RUNTIME_DIR=self.scratch, TMPDIR=self.scratch,
                           CORVANE_TRAY_INSTANCE_ID="f" * 64)
        form = subprocess.Popen([TRAY, "form", "--smoke"], env=environment, stdin=subprocess.PIPE,
                                stdout=subprocess.PIPE, text=True)
        lines = queue.Queue()
        threading.Thread(target=lambda: [lines.put(line.strip()) for line in form.stdout], daemon=True).start()

        def next_line():
            pump_until(lambda: not lines.empty(), "an event line")
            return lines.get()

        def xdotool(*arguments):
            return subprocess.run(["xdotool", *arguments], env=environment, capture_output=True, text=True,
                                  timeout=PATIENCE, check=True).stdout

        try:
            self.assertEqual(next_line(), '{"event":"ready"}')
            form.stdin.write('{"type":"form","mode":"setup","projectRoot":""}\n')
            form.stdin.flush()
            self.assertEqual(next_line(), '{"event":"form-presented","mode":"setup"}')
            self.assertEqual(next_line(), '{"event":"form-visible"}')
            window = xdotool("search", "--sync", "--onlyvisible", "--name", "^Corvane$").split()[0]
            xdotool("windowfocus", "--sync", window)
            # From the key field to 选择…, pressed with Space.
            xdotool("key", "Tab", "space")
            pump_until(lambda: self.portal.calls, "the portal asked")
            self.assertEqual(self.portal.calls[0]["parent"], "x11:%x" % int(window))
            self.assertEqual(bytes(self.portal.calls[0]["options"]["current_folder"]), self.home.encode() + b"\0")
            self.portal.requests[0].Response(dbus.UInt32(0), {"uris": dbus.Array(["file://" + quote(chosen)],
                                                                                 signature="s")})
            # The answer is in the form's hands once a ping behind it comes back; a verdict after that
            # is handled after it, and puts the focus back in the key field.
            self.connection.call_blocking(self.portal.calls[0]["sender"], "/", "org.freedesktop.DBus.Peer", "Ping",
                                          "", [])
            form.stdin.write('{"type":"form-result","phase":"error","message":"x"}\n')
            form.stdin.flush()
            self.assertEqual(next_line(), '{"event":"form-updated","inputEnabled":true,"phase":"error"}')
            xdotool("type", "k")
            xdotool("key", "Return")
            self.assertEqual(json.loads(next_line()), {"event": "submit", "accessKey": "k", "projectRoot": chosen})
        finally:
            form.stdin.close()
            form.wait(PATIENCE)
            form.stdout.close()

    def test_smoke_run_closes_the_portals_chooser_after_a_second(self):
        self.portal.answer = None
        self.assertEqual(self.choose("--smoke"), [
            {"event": "folder-result", "projectRoot": None, "visible": True, "canCreateDirectories": True}])
        pump_until(lambda: self.portal.closed == 1, "the request closed")


if __name__ == "__main__":
    TRAY = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
