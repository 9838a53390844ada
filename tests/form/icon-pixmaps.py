#!/usr/bin/python3
"""Saves the status icon exactly as corvane-tray hands it to a tray host, every size of it.

Plays a minimal StatusNotifierWatcher and host on a private session bus, starts corvane-tray in tray
mode (it needs DISPLAY: Qt's D-Bus tray wants the xcb platform), shows each status in turn and saves
every image of the item's IconPixmap property as OUTPUT/STATUS-WIDTH.png. Used by make-screenshots.sh.

    icon-pixmaps.py path/to/corvane-tray OUTPUT [QT_SCALE_FACTOR]
"""

import os
import queue
import struct
import subprocess
import sys
import threading
import time
import zlib

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib  # noqa: F401 (the main loop dbus-python runs on)

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from glib_wait import pump_until  # noqa: E402

WATCHER = "org.kde.StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
STATUSES = ["ready", "busy", "partial", "suspended", "stopped"]
INTROSPECTION = """<node>
 <interface name="org.kde.StatusNotifierWatcher">
  <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
  <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
  <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
  <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
  <signal name="StatusNotifierHostRegistered"/>
 </interface>
 <interface name="org.freedesktop.DBus.Properties">
  <method name="Get"><arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="v" direction="out"/></method>
  <method name="GetAll"><arg type="s" direction="in"/><arg type="a{sv}" direction="out"/></method>
 </interface>
</node>"""


class Watcher(dbus.service.Object):
    def __init__(self, connection):
        super().__init__(connection, "/StatusNotifierWatcher")
        self.items = []

    @dbus.service.method("org.freedesktop.DBus.Introspectable", out_signature="s")
    def Introspect(self):
        return INTROSPECTION

    @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender):
        item = (sender, str(service)) if service.startswith("/") else (str(service), "/StatusNotifierItem")
        self.items.append(item)
        self.StatusNotifierItemRegistered(item[0] + item[1])

    @dbus.service.method(WATCHER, in_signature="s")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.method("org.freedesktop.DBus.Properties", in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.GetAll(interface)[name]

    @dbus.service.method("org.freedesktop.DBus.Properties", in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return {"RegisteredStatusNotifierItems": dbus.Array([s + p for s, p in self.items], signature="s"),
                "IsStatusNotifierHostRegistered": True, "ProtocolVersion": dbus.Int32(0)}

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemRegistered(self, item):
        pass


def png(width, height, argb):
    """A PNG of network-order ARGB32 pixels, written without any imaging library."""
    rows = b""
    for y in range(height):
        row = argb[y * width * 4:(y + 1) * width * 4]
        rows += b"\0" + b"".join(row[x + 1:x + 4] + row[x:x + 1] for x in range(0, len(row), 4))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def main():
    tray, output = sys.argv[1], sys.argv[2]
    scale = sys.argv[3] if len(sys.argv) > 3 else "1"
    os.makedirs(output, exist_ok=True)
    process = None
    try:
        # The private desktop this runs on (scripts/private-desktop) gives the session bus.
        address = os.environ["DBUS_SESSION_BUS_ADDRESS"]
        DBusGMainLoop(set_as_default=True)
        connection = dbus.bus.BusConnection(address)
        name = dbus.service.BusName(WATCHER, connection)
        watcher = Watcher(connection)
        environment = dict(os.environ, DBUS_SESSION_BUS_ADDRESS=address, QT_QPA_PLATFORM="xcb",
                           QT_SCALE_FACTOR=scale, CORVANE_TRAY_INSTANCE_ID="e" * 64)
        process = subprocess.Popen([tray, "--smoke"], env=environment, stdin=subprocess.PIPE,
                                   stdout=subprocess.PIPE, text=True)
        lines = queue.Queue()
        threading.Thread(target=lambda: [lines.put(line) for line in process.stdout], daemon=True).start()
        pump_until(lambda: watcher.items, "the item's registration")
        service, path = watcher.items[0]
        icons = []
        connection.add_signal_receiver(lambda *arguments: icons.append(1), "NewIcon", ITEM, service, path)
        item = connection.get_object(service, path)
        for status in STATUSES:
            seen = len(icons)
            process.stdin.write('{"status":"%s","iconStatus":"%s","tooltip":"%s","menu":[{"id":"a","text":"a",'
                                '"enabled":true}]}\n' % (status, status, status))
            process.stdin.flush()
            if status != "ready" or seen == 0:
                pump_until(lambda: len(icons) > seen, "the icon of " + status)
            for width, height, pixels in item.Get(ITEM, "IconPixmap", dbus_interface="org.freedesktop.DBus.Properties"):
                with open(os.path.join(output, "%s-%d.png" % (status, width)), "wb") as picture:
                    picture.write(png(int(width), int(height), bytes(pixels)))
        print("saved", len(os.listdir(output)), "images in", output)
        del name
    finally:
        if process:
            process.stdin.close()
            process.wait(20)


if __name__ == "__main__":
    main()
