#!/usr/bin/env python3
"""Desktop services for the end-to-end runs, on the test's private session bus.

  desktop_peers.py notifications LOG   a notification server that writes every
      Notify call to LOG as a JSON line; its Click(id, action, token) method
      (interface test.Control) sends ActivationToken and ActionInvoked as a server
      does when the user clicks, to everybody, as some servers do
  desktop_peers.py watcher LOG         a StatusNotifierWatcher with a host that
      writes every item that registers to LOG
"""
import json
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NOTIFICATIONS = "org.freedesktop.Notifications"
WATCHER = "org.kde.StatusNotifierWatcher"
# Clients read the watcher's properties only when its introspection declares them.
WATCHER_XML = """<node><interface name="org.kde.StatusNotifierWatcher">
 <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
 <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
 <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
</interface><interface name="org.freedesktop.DBus.Properties">
 <method name="Get"><arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="v" direction="out"/></method>
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
        # A hint's type matters (urgency is a byte), so it is kept beside the value.
        hints = {str(k): [type(v).__name__, v if isinstance(v, (str, int)) else str(v)] for k, v in hints.items()}
        log_line(self.log, json.dumps({
            "id": self.next_id, "app_name": str(app_name), "app_icon": str(app_icon), "summary": str(summary),
            "body": str(body), "actions": [str(a) for a in actions], "hints": hints,
            "expire_timeout": int(expire_timeout)}))
        return dbus.UInt32(self.next_id)

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

    @dbus.service.method("org.freedesktop.DBus.Introspectable", in_signature="", out_signature="s")
    def Introspect(self):
        return WATCHER_XML

    @dbus.service.method(WATCHER, in_signature="s", out_signature="", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        # An item names its bus name, or only its object path on the caller's connection.
        item = sender + service if service.startswith("/") else service + "/StatusNotifierItem"
        log_line(self.log, item)
        self.StatusNotifierItemRegistered(item)

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemRegistered(self, item):
        pass

    @dbus.service.method("org.freedesktop.DBus.Properties", in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return {"IsStatusNotifierHostRegistered": True}[name]


def main():
    role, log = sys.argv[1], sys.argv[2]
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    peer = (Notifications if role == "notifications" else Watcher)(bus, log)
    name = dbus.service.BusName(NOTIFICATIONS if role == "notifications" else WATCHER, bus, do_not_queue=True)
    log_line(log + ".ready", "ready")
    GLib.MainLoop().run()
    del peer, name


if __name__ == "__main__":
    main()
