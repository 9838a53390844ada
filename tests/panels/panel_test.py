#!/usr/bin/python3
"""The tray item on a real panel, as a person meets it.

Runs on a private X11 desktop (scripts/private-desktop) with openbox, the accessibility bus and one real
panel: xfce4-panel (systray plugin, StatusNotifierItem, GTK menus), lxqt-panel (statusnotifier plugin, Qt
menus) or tint2 (XEmbed: the menu is ours). The real corvane-tray shows a state whose texts carry "&", "_",
"<", ">" and Chinese. Checks: the item's artwork is on screen; a click opens the panel's menu and its rows
read literally over AT-SPI, with no mnemonic; a click on a row gives the controller the row's "menu" event;
the item comes back after the panel is ended and started again.

    panel_test.py path/to/corvane-tray xfce4|lxqt|tint2
"""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, Gio, GLib  # noqa: E402

sys.path[:0] = [os.path.dirname(os.path.abspath(__file__)),
                os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support")]
from corvane_run import CorvaneRun  # noqa: E402
from glib_wait import pump_until  # noqa: E402
from panel_state import ROWS, STATE  # noqa: E402

TRAY = None
PANEL = None
CONFIG = os.path.join(os.path.dirname(os.path.abspath(__file__)), "config")
PATIENCE = 20.0
# The artwork's blue, which no panel here draws itself.
ARTWORK_BLUE = "#3A6FD8"

class Panel:
    """How each panel is set up, started, and which button opens the item's menu."""

    def __init__(self, argv, button, config=(), helpers=()):
        self.argv = argv
        self.button = button
        self.config = config
        self.helpers = helpers


PANELS = {
    "xfce4": Panel(["xfce4-panel"], "1",
                   config=[("xfce4-panel.xml", "xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml")],
                   helpers=[["/usr/lib/x86_64-linux-gnu/xfce4/xfconf/xfconfd"]]),
    # LXQt opens an item's menu with the right button; the left one asks the item to activate.
    "lxqt": Panel(["lxqt-panel"], "3", config=[("lxqt-panel.conf", "lxqt/panel.conf")]),
    "tint2": Panel(["tint2", "-c", os.path.join(CONFIG, "tint2rc")], "1"),
}


class Desktop:
    """The session around the panel: a private home, openbox, the accessibility bus, the panel and the
    tray. Every process is ended by its id."""

    def __init__(self, panel):
        self.panel = panel
        self.scratch = tempfile.mkdtemp(prefix="corvane-panel-")
        home = os.path.join(self.scratch, "home")
        self.environment = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                                XDG_CACHE_HOME=os.path.join(home, ".cache"),
                                QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", GTK_MODULES="gail:atk-bridge")
        for name in ("CORVANE_UI_READY_MARKER", "QT_QPA_PLATFORMTHEME"):
            self.environment.pop(name, None)
        for source, target in panel.config:
            target = os.path.join(home, ".config", target)
            os.makedirs(os.path.dirname(target), exist_ok=True)
            shutil.copy(os.path.join(CONFIG, source), target)
        self.processes = []
        self.start_accessibility_bus()
        self.start(["openbox"])
        for helper in panel.helpers:
            self.start(helper)
        self.panel_process = self.start_panel()

    def start_accessibility_bus(self):
        """The accessibility bus, before anything that might use it. The launcher runs without the display
        and the bus's address goes on the root window here, once the launcher has its bus name: left to
        itself the launcher puts it there first, and Qt 5's bridge (lxqt-panel) starting in between takes
        the address, misses the name and stays off."""
        launcher = dict(self.environment)
        launcher.pop("DISPLAY")
        self.start(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], env=launcher)
        subprocess.run(["gdbus", "wait", "--session", "--timeout", str(int(PATIENCE)), "org.a11y.Bus"],
                       env=self.environment, check=True, timeout=PATIENCE)
        session = Gio.bus_get_sync(Gio.BusType.SESSION)
        address = session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", None,
                                    GLib.VariantType("(s)"), Gio.DBusCallFlags.NONE, int(PATIENCE * 1000),
                                    None).unpack()[0]
        subprocess.run(["xprop", "-root", "-f", "AT_SPI_BUS", "8s", "-set", "AT_SPI_BUS", address],
                       env=self.environment, check=True, timeout=PATIENCE)

    def start(self, argv, **options):
        options.setdefault("stderr", subprocess.DEVNULL)
        options.setdefault("env", self.environment)
        process = subprocess.Popen(argv, **options)
        self.processes.append(process)
        return process

    def start_panel(self):
        """Starts the panel and returns it once its window shows. A busy machine now and then leaves an
        lxqt-panel that owns its tray but never shows itself: that one is ended and started again."""
        for _ in range(3):
            process = self.start(self.panel.argv, stdout=subprocess.DEVNULL)
            try:
                subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--class", "panel|tint2"],
                               env=self.environment, stdout=subprocess.DEVNULL, check=True, timeout=PATIENCE / 2)
                return process
            except subprocess.TimeoutExpired:
                self.end(process)
        raise AssertionError("the panel never showed")

    def end(self, process):
        if process.poll() is None:
            process.terminate()
            process.wait(PATIENCE)

    def close(self):
        for process in reversed(self.processes):
            self.end(process)
        shutil.rmtree(self.scratch, ignore_errors=True)

    def start_tray(self):
        self.environment["CORVANE_TRAY_INSTANCE_ID"] = os.urandom(32).hex()
        # The panel's tray may still be coming up, which on a busy machine can take longer than the usual
        # 5 s: the tray waits for half the test's patience.
        self.tray = CorvaneRun([TRAY], dict(self.environment, CORVANE_UI_WAIT_MS=str(int(PATIENCE * 1000) // 2)))
        self.processes.append(self.tray.process)
        self.tray.send(STATE)

    def xdotool(self, *arguments):
        subprocess.run(["xdotool", *arguments], env=self.environment, check=True, timeout=PATIENCE)

    def click(self, x, y, button="1"):
        self.xdotool("mousemove", str(x), str(y))
        self.xdotool("click", button)

    def artwork(self):
        """The box (x, y, width, height) the artwork's blue takes on screen, or None."""
        shot = os.path.join(self.scratch, "screen.png")
        subprocess.run(["import", "-window", "root", shot], env=self.environment, check=True, timeout=PATIENCE)
        box = subprocess.run(["convert", shot, "-fuzz", "3%", "-fill", "white", "-opaque", ARTWORK_BLUE,
                              "-fill", "black", "+opaque", "white", "-format", "%@", "info:"],
                             env=self.environment, capture_output=True, text=True, check=True).stdout
        size, _, position = box.partition("+")
        width, height = (int(n) for n in size.split("x"))
        x, y = (int(n) for n in position.split("+"))
        # An image with none of the blue trims to a single pixel.
        return (x, y, width, height) if width > 4 and height > 4 else None

    def wait_for_artwork(self, shown=True):
        pump_until(lambda: (self.artwork() is not None) == shown,
                   "the item's artwork " + ("on screen" if shown else "gone"))
        return self.artwork()


SHOWING = "object:state-changed:showing"
class MenuWatch:
    """The menu rows AT-SPI reports as they come on screen."""

    def __init__(self):
        self.rows = {}
        self.listener = Atspi.EventListener.new(self.on_event)
        self.listener.register(SHOWING)

    def on_event(self, event):
        if event.type == SHOWING and event.detail1 == 1:
            self.take(event.source)

    def take(self, source):
        for item in [source] + [source.get_child_at_index(i) for i in range(source.get_child_count())]:
            if item is not None and item.get_role() in (Atspi.Role.MENU_ITEM, Atspi.Role.MENU):
                self.rows[item.get_name()] = item

    def close(self):
        self.listener.deregister(SHOWING)


def key_bindings(item):
    action = item.get_action_iface()
    return [action.get_key_binding(i) for i in range(action.get_n_actions())] if action else []


def centre(item):
    box = item.get_extents(Atspi.CoordType.SCREEN)
    return box.x + box.width // 2, box.y + box.height // 2


class PanelTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.desktop = Desktop(PANELS[PANEL])
        cls.desktop.start_tray()
        cls.tray = cls.desktop.tray
        cls.tray.expect('{"event":"ready"}')
        cls.tray.expect('{"event":"tray-visible"}')

    @classmethod
    def tearDownClass(cls):
        cls.tray.process.stdin.close()
        cls.tray.process.wait(PATIENCE)
        cls.desktop.close()

    def open_menu(self):
        """Clicks the item until the panel's menu is on screen; the menu's rows as AT-SPI reads them."""
        for _ in range(4):
            x, y, width, height = self.desktop.wait_for_artwork()
            watch = MenuWatch()
            try:
                self.desktop.click(x + width // 2, y + height // 2, self.desktop.panel.button)
                pump_until(lambda: all(name in watch.rows for name in ROWS), "the menu", patience=4.0)
                return [watch.rows[name] for name in ROWS]
            except AssertionError:
                # A panel that has just come up may not take the first click yet: a person would click again.
                self.desktop.xdotool("key", "Escape")
            finally:
                watch.close()
        desktop = Atspi.get_desktop(0)
        applications = [desktop.get_child_at_index(i).get_name() for i in range(desktop.get_child_count())]
        self.fail("the menu's rows %r never came; seen %r; on the accessibility bus: %r"
                  % (ROWS, sorted(watch.rows), applications))

    def test_the_item_on_the_panel(self):
        rows = self.open_menu()
        # A row shown with a mnemonic lost an "_" or an "&" on the way.
        for row in rows:
            self.assertEqual([binding for binding in key_bindings(row) if binding], [], row.get_name())
        self.assertFalse(rows[2].get_state_set().contains(Atspi.StateType.ENABLED))
        self.desktop.click(*centre(rows[0]))
        self.assertEqual(self.tray.next_line(), '{"action":"pause","event":"menu"}')

        # The panel ended and started again: the item comes back, and its menu reads and works as before.
        self.desktop.end(self.desktop.panel_process)
        self.desktop.wait_for_artwork(shown=False)
        self.desktop.panel_process = self.desktop.start_panel()
        rows = self.open_menu()
        self.desktop.click(*centre(rows[0]))
        self.assertEqual(self.tray.next_line(), '{"action":"pause","event":"menu"}')
        self.assertIsNone(self.tray.process.poll())


if __name__ == "__main__":
    TRAY, PANEL = sys.argv[1], sys.argv[2]
    unittest.main(argv=sys.argv[:1], verbosity=2)
