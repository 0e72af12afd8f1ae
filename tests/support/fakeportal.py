#!/usr/bin/python3
# A screenshot portal for the tests, on the session bus. Before each request it reads what
# to answer from the file named by its argument:
#   ok FILE   the picture is FILE      cancel   the user cancelled
#   refuse    the desktop refused      error    the call itself fails
#   silent    no answer ever
# A request that asks for a dialog (interactive) is refused. Prints "ready" once it has its name.
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib


class Request(dbus.service.Object):
    @dbus.service.signal("org.freedesktop.portal.Request", signature="ua{sv}")
    def Response(self, response, results):
        pass


class Portal(dbus.service.Object):
    @dbus.service.method("org.freedesktop.portal.Screenshot", in_signature="sa{sv}",
                         out_signature="o", sender_keyword="sender")
    def Screenshot(self, parent, options, sender):
        with open(sys.argv[1]) as f:
            mode, _, arg = f.read().strip().partition(" ")
        if mode == "error":
            raise dbus.exceptions.DBusException("nicht erlaubt", name="org.freedesktop.portal.Error.NotAllowed")
        path = "/org/freedesktop/portal/desktop/request/%s/%s" % (
            sender[1:].replace(".", "_"), options.get("handle_token", "t"))
        request = Request(self.connection, path)
        answer = {"ok": 0, "cancel": 1}.get(mode, 2) if not options.get("interactive", False) else 2
        results = {"uri": dbus.String("file://" + arg)} if answer == 0 else {}

        def respond():
            request.Response(dbus.UInt32(answer), dbus.Dictionary(results, signature="sv"))
            request.remove_from_connection()
        if mode != "silent":
            GLib.timeout_add(100, respond)
        return dbus.ObjectPath(path)


DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
name = dbus.service.BusName("org.freedesktop.portal.Desktop", bus)
portal = Portal(bus, "/org/freedesktop/portal/desktop")
print("ready", flush=True)
GLib.MainLoop().run()
