#!/usr/bin/env python3
"""The tray as a desktop offers it: a StatusNotifierWatcher (with a host, so that Qt shows its
icon there rather than looking for an XEmbed tray) on the session bus. It waits for the first item
and reads its IconPixmap, which is what a panel draws, until the icon has a visible pixel.

Usage: tray-watcher.py SECONDS
Prints "ready" once it owns the watcher's name. Exit status: 0 the icon has visible pixels,
1 the icon stayed blank, 2 no item came (or no name)."""
import sys

from gi.repository import Gio, GLib

WATCHER = "org.kde.StatusNotifierWatcher"
INTERFACE = Gio.DBusNodeInfo.new_for_xml(
    """<node><interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg type="s" direction="in"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
    <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
    </interface></node>"""
).interfaces[0]


def visible_pixels(pixmaps):
    """Per image of an IconPixmap (ARGB32, network byte order): size and pixels not transparent."""
    return [(w, h, sum(1 for a in bytes(data)[0::4] if a)) for w, h, data in pixmaps]


class Watcher:
    def __init__(self, bus, seconds):
        self.bus = bus
        self.items = []
        self.result = 2
        self.last = ""
        self.loop = GLib.MainLoop()
        bus.register_object("/StatusNotifierWatcher", INTERFACE, self.call, self.property, None)
        GLib.timeout_add_seconds(seconds, self.give_up)

    def call(self, bus, sender, path, interface, method, args, invocation):
        if method == "RegisterStatusNotifierItem":
            (service,) = args.unpack()
            # An item names its bus name, or (some toolkits) only its object path.
            if service.startswith("/"):
                item = (sender, service)
            else:
                item = (service, "/StatusNotifierItem")
            self.items.append(item)
            bus.emit_signal(None, path, WATCHER, "StatusNotifierItemRegistered",
                            GLib.Variant("(s)", (item[0] + item[1],)))
            GLib.timeout_add(100, self.read_icon, item)
        invocation.return_value(None)

    def property(self, bus, sender, path, interface, name):
        return {
            "RegisteredStatusNotifierItems": GLib.Variant("as", [s + p for s, p in self.items]),
            "IsStatusNotifierHostRegistered": GLib.Variant("b", True),
            "ProtocolVersion": GLib.Variant("i", 0),
        }[name]

    def read_icon(self, item):
        try:
            reply = self.bus.call_sync(
                item[0], item[1], "org.freedesktop.DBus.Properties", "Get",
                GLib.Variant("(ss)", ("org.kde.StatusNotifierItem", "IconPixmap")),
                GLib.VariantType("(v)"), Gio.DBusCallFlags.NONE, 5000, None)
        except GLib.Error as error:
            self.last = f"{item[0]}{item[1]}: {error.message}"
            return True
        images = visible_pixels(reply.unpack()[0])
        self.last = ", ".join(f"{w}x{h}: {n} of {w * h} pixels visible" for w, h, n in images)
        if any(n for _, _, n in images):
            print(f"tray icon: {self.last}")
            self.result = 0
            self.loop.quit()
            return False
        return True  # the icon may still be set; read it again

    def name_taken(self):
        print("another watcher owns the name", file=sys.stderr)
        self.loop.quit()

    def give_up(self):
        if self.items:
            print(f"tray icon is blank: {self.last or 'no image'}", file=sys.stderr)
            self.result = 1
        else:
            print("no tray item registered", file=sys.stderr)
        self.loop.quit()
        return False


def main():
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    watcher = Watcher(bus, int(sys.argv[1]))
    Gio.bus_own_name_on_connection(bus, WATCHER, Gio.BusNameOwnerFlags.DO_NOT_QUEUE,
                                   lambda *_: print("ready", flush=True),
                                   lambda *_: watcher.name_taken())
    watcher.loop.run()
    return watcher.result


if __name__ == "__main__":
    sys.exit(main())
