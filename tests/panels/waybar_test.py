#!/usr/bin/python3
"""The tray item on a real Wayland panel: waybar's tray module under headless sway.

Runs inside tests/panels/wayland-session, which starts sway, waybar, a private session bus and the
accessibility bus, and puts corvane-tray and corvane-virtual-pointer first on PATH. The real
corvane-tray runs in tray mode on Qt's Wayland platform with a tray state whose texts hold the
characters hosts like to interpret (mnemonic underscores, ampersands, markup). Then, as a person with
a mouse (the virtual pointer) and a screen reader (AT-SPI) would:
- the item shows in waybar's tray, with our tooltip text;
- a click on it opens waybar's menu (GTK, fed over dbusmenu), whose rows read literally;
- a click on a row gives the controller that row's "menu" event;
- the tooltip shows the markup characters as characters (as fullwidth forms: our item sends them so);
- after waybar is ended and started again, the item shows again and its menu still works.

    wayland-session --bin corvane-tray --bin corvane-virtual-pointer --bin glib_wait.py --bin corvane_run.py \
        --bin panel_state.py --bin waybar_test.py \
        -- waybar_test.py
"""

import os
import re
import signal
import subprocess
import sys
import unittest
import warnings

# The helpers are beside this file when the session copied them, else in the tree (tests/support).
sys.path[:0] = [os.path.dirname(os.path.abspath(__file__)),
                os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support")]
from corvane_run import CorvaneRun  # noqa: E402
from panel_state import STATE  # noqa: E402
from glib_wait import pump_until  # noqa: E402

import dbus  # noqa: E402
import pyatspi  # noqa: E402

# pyatspi itself still calls Atspi's deprecated interface getters.
warnings.filterwarnings("ignore", message=r"Atspi\.Accessible\.get_\w+_iface is deprecated")

# Each wait here takes well under a second on an idle machine, and a few seconds on a busy one; a test
# fails at its first wait that runs out, so a failing run still ends within the test's 120 s.
PATIENCE = 20.0
SCREEN = (1024, 768)
BAR_HEIGHT = 30
# The menu as a screen reader reads it: (role, name, sensitive), children indented by two spaces.
MENU = [
    ("menu item", "Pause & resume _now_", True),
    ("separator", "", True),
    ("menu", "More", True),
    ("  menu item", "Child", True),
    ("  separator", "", True),
    ("  menu item", "Quiet child", True),
    ("menu item", "Disabled", False),
    ("menu item", "退出", True),
]
# Markup characters go out as their fullwidth forms, which no host interprets.
SHOWN_TOOLTIP = "Corvane ＆ co_op ＜b＞x＜/b＞"


class Tray(CorvaneRun):
    """corvane-tray in tray mode, on Qt's Wayland platform."""

    def __init__(self):
        environment = dict(os.environ, QT_QPA_PLATFORM="wayland", CORVANE_TRAY_INSTANCE_ID=os.urandom(32).hex())
        super().__init__(["corvane-tray"], environment)
        self.expect('{"event":"ready"}')
        self.expect('{"event":"tray-visible"}')
        self.send(STATE)

    def exported_tooltip(self):
        """The tooltip text our item exports, as any tray host reads it."""
        bus = dbus.SessionBus()
        for item in registered_items():
            name, path = item.split("/", 1)
            if bus.call_blocking("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                 "GetConnectionUnixProcessID", "s", (name,)) == self.process.pid:
                return str(bus.get_object(name, "/" + path).Get(
                    "org.kde.StatusNotifierItem", "ToolTip", dbus_interface="org.freedesktop.DBus.Properties")[2])
        return None

    def close(self):
        """Ends the run as a controller does; its status and anything it said unasked."""
        self.process.stdin.close()
        status = self.process.wait(PATIENCE)
        rest = []
        while not self.lines.empty():
            rest.append(self.lines.get_nowait())
        return status, rest


def registered_items():
    """The items the running watcher (waybar's) holds."""
    watcher = dbus.SessionBus().get_object("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher")
    return [str(item) for item in watcher.Get("org.kde.StatusNotifierWatcher", "RegisteredStatusNotifierItems",
                                              dbus_interface="org.freedesktop.DBus.Properties")]


class Pointer:
    """corvane-virtual-pointer, one command a line; each answered once the compositor took it."""

    def __init__(self):
        self.process = subprocess.Popen(["corvane-virtual-pointer"], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        text=True)

    def __call__(self, *words):
        self.process.stdin.write(" ".join(str(word) for word in words) + "\n")
        self.process.stdin.flush()
        answer = self.process.stdout.readline().strip()
        if answer != "ok":
            raise AssertionError("the pointer said %r to %r" % (answer, words))

    def close(self):
        self.process.stdin.close()
        self.process.wait(PATIENCE)


class Screenshot:
    """One grim screenshot as RGB bytes."""

    def __init__(self):
        data = subprocess.run(["grim", "-t", "ppm", "-"], capture_output=True, check=True, timeout=PATIENCE).stdout
        match = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", data)
        self.width, self.height = int(match.group(1)), int(match.group(2))
        self.pixels = data[match.end():]

    def pixel(self, x, y):
        start = (y * self.width + x) * 3
        return self.pixels[start:start + 3]

    def differences(self, other, left, top, width, height):
        return sum(self.pixel(x, y) != other.pixel(x, y) for y in range(top, top + height)
                   for x in range(left, left + width))

    def white_box(self):
        """The bounding box of the rows' long runs of white (a GTK menu; the pointer's runs are short)."""
        run = re.compile(rb"(?:\xff\xff\xff){60,}")
        box = None
        for y in range(self.height):
            row = self.pixels[y * self.width * 3:(y + 1) * self.width * 3]
            for match in run.finditer(row):
                left, right = -(-match.start() // 3), match.end() // 3
                if right - left < 60:
                    continue
                box = (left, y, right, y + 1) if box is None else (
                    min(box[0], left), box[1], max(box[2], right), y + 1)
        return box


def await_value(read, wanted, what):
    """Runs the main loop until read() gives wanted; fails with the last value read."""
    last = []

    def arrived():
        last[:] = [read()]
        return last[0] == wanted
    try:
        pump_until(arrived, what, PATIENCE)
    except AssertionError:
        raise AssertionError("timed out waiting for %s: wanted %r, last read %r" % (what, wanted, last[0]))


def descendants(accessible):
    for child in accessible:
        if child is not None:
            yield child
            yield from descendants(child)


def extents(accessible):
    box = accessible.queryComponent().getExtents(pyatspi.WINDOW_COORDS)
    return box.x, box.y, box.width, box.height


def sensitive(accessible):
    return accessible.getState().contains(pyatspi.STATE_SENSITIVE)


class Panel:
    """The running waybar: the one the session started, or the one a test started after it."""

    def __init__(self):
        self.pid = int(os.environ["WAYBAR_PID"])
        self.started = None

    def application(self):
        for application in pyatspi.Registry.getDesktop(0):
            if application is not None and application.get_process_id() == self.pid:
                return application
        return None

    def frame(self):
        application = self.application()
        return application[0] if application and application.childCount else None

    def icon_drawn(self):
        """Whether the bar's right end holds an icon: pixels of another colour than the bar's."""
        shot = Screenshot()
        background = shot.pixel(0, 0)
        left = SCREEN[0] - 100
        return sum(shot.pixel(x, y) != background for y in range(BAR_HEIGHT) for x in range(left, SCREEN[0])) > 40

    def item(self):
        """The tray item's icon, once waybar shows it (the only icon on the bar)."""
        found = []

        def shown():
            frame = self.frame()
            found[:] = [accessible for accessible in descendants(frame) if accessible.getRoleName() == "icon"
                        and accessible.getState().contains(pyatspi.STATE_SHOWING)] if frame else []
            return len(found)
        await_value(shown, 1, "the item in waybar's tray")
        return found[0]

    def menu(self):
        """The open menu, once it holds the state's rows."""
        found = []

        def shown():
            application = self.application()
            found[:] = [window[0] for window in application if window is not None and window.getRoleName() == "window"
                        and window.childCount and window[0].getRoleName() == "menu"
                        and window[0].getState().contains(pyatspi.STATE_SHOWING)]
            return [rows(menu) for menu in found]
        await_value(shown, [MENU], "waybar's menu")
        return found[0]

    def restart(self):
        """Ends waybar by its PID and starts it again with the session's arguments; returns once it draws
        the item (before anything here has asked its accessibility tree)."""
        os.kill(self.pid, signal.SIGTERM)
        if self.started:
            self.started.wait(PATIENCE)
        else:
            # The session's waybar is the session's child: gone, or a zombie it has yet to collect.
            def ended():
                try:
                    with open("/proc/%d/stat" % self.pid) as stat:
                        return stat.read().rsplit(")", 1)[1].split()[0] == "Z"
                except FileNotFoundError:
                    return True
            pump_until(ended, "waybar to end", PATIENCE)
        self.started = subprocess.Popen(["waybar", "--config", os.environ["WAYBAR_CONFIG"], "--style",
                                         os.environ["WAYBAR_STYLE"]], stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        self.pid = self.started.pid
        try:
            pump_until(self.icon_drawn, "the item on the new bar", PATIENCE)
        except AssertionError as error:
            raise AssertionError("%s; the watcher holds %r" % (error, registered_items())) from None

    def close(self):
        if self.started:
            self.started.terminate()
            self.started.wait(PATIENCE)


TRAY = None
POINTER = None
PANEL = None


def rows(menu, indent=""):
    found = []
    for accessible in menu:
        found.append((indent + accessible.getRoleName(), accessible.name, sensitive(accessible)))
        if accessible.getRoleName() == "menu":
            found += rows(accessible, indent + "  ")
    return found


class Waybar(unittest.TestCase):
    def setUp(self):
        # Every test starts with no menu open and the pointer off the bar: a click on the empty desktop.
        POINTER("click", SCREEN[0] // 2, SCREEN[1] - 10)

    def open_menu(self):
        x, y, width, height = extents(PANEL.item())
        POINTER("click", x + width // 2, y + height // 2)
        return PANEL.menu()

    def test_item_shows_and_its_menu_reads_literally_and_reports_the_clicked_row(self):
        icon = PANEL.item()
        # The bar is the whole top edge, so its window coordinates are the screen's.
        self.assertEqual(extents(PANEL.frame()), (0, 0, SCREEN[0], BAR_HEIGHT))
        x, y, width, height = extents(icon)
        self.assertGreater(x, SCREEN[0] // 2, "the tray is at the right of the bar")
        self.assertTrue(PANEL.icon_drawn())

        menu = self.open_menu()
        # On Wayland a popup knows only its own coordinates: the menu's white box on the screen places it.
        POINTER("move", 2, SCREEN[1] - 2)
        box = Screenshot().white_box()
        menu_x, menu_y, menu_width, menu_height = extents(menu)
        self.assertIsNotNone(box, "the menu on the screen")
        self.assertEqual((box[2] - box[0], box[3] - box[1]), (menu_width, menu_height), box)
        row_x, row_y, row_width, row_height = extents(menu[0])
        POINTER("click", box[0] - menu_x + row_x + row_width // 2, box[1] - menu_y + row_y + row_height // 2)
        self.assertEqual(TRAY.next_line(), '{"action":"pause","event":"menu"}')
        pump_until(lambda: not menu.getState().contains(pyatspi.STATE_SHOWING), "the menu to close", PATIENCE)

    def test_item_shows_again_after_the_panel_restarts(self):
        PANEL.item()
        PANEL.restart()
        self.open_menu()

    def test_tooltip_shows_markup_characters_as_characters(self):
        await_value(TRAY.exported_tooltip, SHOWN_TOOLTIP, "the state's tooltip on the item")
        # GTK gives screen readers a widget's tooltip, as shown (markup parsed), as the description of its
        # accessible, but takes it when it makes the accessible and misses later changes made as markup
        # (waybar's way): a bar started now makes it with the state's tooltip.
        PANEL.restart()
        icon = PANEL.item()
        self.assertEqual(icon.parent.description, SHOWN_TOOLTIP)
        before = Screenshot()
        x, y, width, height = extents(icon)
        POINTER("move", x + width // 2 - 2, y + height // 2 - 2)
        POINTER("move", x + width // 2, y + height // 2)
        below = (SCREEN[0] // 2, BAR_HEIGHT, SCREEN[0] // 2, 60)
        pump_until(lambda: Screenshot().differences(before, *below) > 2000, "the tooltip under the bar", PATIENCE)


def main():
    global TRAY, POINTER, PANEL
    PANEL = Panel()
    POINTER = Pointer()
    TRAY = Tray()
    try:
        result = unittest.main(verbosity=2, exit=False).result
        status, rest = TRAY.close()
        TRAY = None
        if status != 0 or rest:
            print("corvane-tray ended with %d after saying %r" % (status, rest), file=sys.stderr)
            return 1
        return 0 if result.wasSuccessful() else 1
    finally:
        if TRAY:
            TRAY.close()
        POINTER.close()
        PANEL.close()


if __name__ == "__main__":
    sys.exit(main())
