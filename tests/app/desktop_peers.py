#!/usr/bin/env python3
"""Desktop services for the end-to-end runs, on the test's private session bus.

  desktop_peers.py notifications LOG   a notification server: every Notify call is
                                       written to LOG as one JSON line; the test makes
                                       it click with the Click method (below)
  desktop_peers.py watcher LOG         a StatusNotifierWatcher with a host: every item
                                       that registers is written to LOG as one line

Click(id, action_key, token) on /org/freedesktop/Notifications, interface
test.Control, sends ActivationToken(id, token) and ActionInvoked(id, key) as a
server does when the user clicks; like some servers, it sends them to everybody.
"""
import json
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NOTIFICATIONS = "org.freedesktop.Notifications"
WATCHER = "org.kde.StatusNotifierWatcher"
PROPERTIES = "org.freedesktop.DBus.Properties"
WATCHER_XML = """<node><interface name="org.kde.StatusNotifierWatcher">
 <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
 <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
 <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
 <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
 <property name="ProtocolVersion" type="i" access="read"/>
 <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
 <signal name="StatusNotifierHostRegistered"/>
</interface>
<interface name="org.freedesktop.DBus.Properties">
 <method name="Get"><arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="v" direction="out"/></method>
 <method name="GetAll"><arg type="s" direction="in"/><arg type="a{sv}" direction="out"/></method>
</interface></node>"""


def log_line(path, text):
    with open(path, "a", encoding="utf-8") as out:
        out.write(text + "\n")


class Notifications(dbus.service.Object):
    def __init__(self, bus, log):
        super().__init__(bus, "/org/freedesktop/Notifications")
        self.log = log
        self.next_id = 40

    @dbus.service.method(NOTIFICATIONS, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout):
        self.next_id += 1
        hints_out = {}
        for key, value in hints.items():
            # The type matters for urgency (a byte), so keep it beside the value.
            hints_out[str(key)] = [type(value).__name__, value if isinstance(value, (str, int)) else str(value)]
        log_line(self.log, json.dumps({
            "id": self.next_id, "app_name": str(app_name), "replaces_id": int(replaces_id),
            "app_icon": str(app_icon), "summary": str(summary), "body": str(body),
            "actions": [str(a) for a in actions], "hints": hints_out, "expire_timeout": int(expire_timeout)}))
        return dbus.UInt32(self.next_id)

    @dbus.service.signal(NOTIFICATIONS, signature="uu")
    def NotificationClosed(self, notification_id, reason):
        pass

    @dbus.service.signal(NOTIFICATIONS, signature="us")
    def ActionInvoked(self, notification_id, action_key):
        pass

    @dbus.service.signal(NOTIFICATIONS, signature="us")
    def ActivationToken(self, notification_id, token):
        pass

    @dbus.service.method("test.Control", in_signature="uss", out_signature="")
    def Click(self, notification_id, action_key, token):
        if token:
            self.ActivationToken(notification_id, token)
        self.ActionInvoked(notification_id, action_key)


class Watcher(dbus.service.Object):
    def __init__(self, bus, log):
        super().__init__(bus, "/StatusNotifierWatcher")
        self.log = log
        self.items = []

    @dbus.service.method(WATCHER, in_signature="s", out_signature="", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        # An item names its bus name, or only its object path on the caller's connection.
        item = sender + service if service.startswith("/") else service + "/StatusNotifierItem"
        if item not in self.items:
            self.items.append(item)
        log_line(self.log, item)
        self.StatusNotifierItemRegistered(item)

    @dbus.service.method(WATCHER, in_signature="s", out_signature="")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemRegistered(self, item):
        pass

    @dbus.service.signal(WATCHER, signature="")
    def StatusNotifierHostRegistered(self):
        pass

    def properties(self):
        return {"RegisteredStatusNotifierItems": dbus.Array(self.items, signature="s"),
                "IsStatusNotifierHostRegistered": True, "ProtocolVersion": dbus.Int32(0)}

    @dbus.service.method("org.freedesktop.DBus.Introspectable", in_signature="", out_signature="s")
    def Introspect(self):
        # Clients read the properties only when the introspection data declares them.
        return WATCHER_XML

    @dbus.service.method(PROPERTIES, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.properties()[name]

    @dbus.service.method(PROPERTIES, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return self.properties()


def main():
    role, log = sys.argv[1], sys.argv[2]
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    if role == "notifications":
        peer = Notifications(bus, log)
        name = dbus.service.BusName(NOTIFICATIONS, bus, do_not_queue=True)
    else:
        peer = Watcher(bus, log)
        name = dbus.service.BusName(WATCHER, bus, do_not_queue=True)
    log_line(log + ".ready", "ready")
    GLib.MainLoop().run()
    del peer, name


if __name__ == "__main__":
    main()
