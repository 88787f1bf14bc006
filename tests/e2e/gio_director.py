#!/usr/bin/python3
"""A second LNS director for the end-to-end scripts, written on GLib's GDBus
(the library behind the gdbus tool) rather than QtDBus, so the plug-in is
seen by a client that shares none of its D-Bus code.

Unlike a gdbus call, it keeps one connection for many calls, so the object it
creates stays its own: it reads one request a line from standard input, makes
the call on that connection and answers with one line on standard output:

    ok [VALUE]                      the call succeeded (VALUE for create/get/name/pid)
    error NAME<TAB>MESSAGE          the D-Bus error name and its message, as sent

Requests (words separated by blanks; the rest of the line is the last argument):
    name                            this connection's unique bus name
    pid                             this process's id
    create                          RLX_Plug.Factory.CreateObject; the object becomes current
    get PROPERTY                    Properties.Get on the current object
    set PROPERTY TYPE VALUE         Properties.Set; TYPE is b, i, n or s (b: true/false)
    send COMMAND TYPE NAME          SendCommand(i, n, s)
    release                         Release
    flood N LENGTH COMMAND TYPE     N SendCommand calls at once, the object name
                                    LENGTH "x"s; answers "ok SECONDS OUTCOME=COUNT ..."
                                    (OUTCOME: ok or the error name), then "| " and
                                    the first error message (200 characters at most)
    quit                            ends (the connection closes with it)
"""
import os
import sys

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

SERVICE = "RLX_Plug.LNSPlugInAPI"
INTERFACE = "RLX_Plug._LNSPlugInAPI"
PROPERTIES = "org.freedesktop.DBus.Properties"
# A command may open a window that waits for an operator; the scripts bound
# their own waits.
TIMEOUT_MS = 600000


def value_of(kind, text):
    if kind == "b":
        return GLib.Variant("b", text.lower() in ("true", "1", "yes"))
    if kind in ("i", "n"):
        return GLib.Variant(kind, int(text))
    return GLib.Variant("s", text)


def show(value):
    if isinstance(value, bool):
        return "true" if value else "false"
    return str(value)


def error_of(e):
    """The D-Bus error name and message of a failed call, as sent: GDBus
    carries the name in front of the message, as the gdbus tool prints it."""
    name = Gio.DBusError.get_remote_error(e) or "local"
    message = e.message
    prefix = "GDBus.Error:%s: " % name
    if message.startswith(prefix):
        message = message[len(prefix):]
    return name, message


def flood(bus, path, count, length, command, kind):
    """Queues every call before reading any reply, as a director that retries
    in a loop or a buggy one does, then waits for all the answers."""
    outcomes = {}
    first_error = []
    loop = GLib.MainLoop()
    pending = [count]
    name = "x" * length

    def done(source, result):
        try:
            source.call_finish(result)
            key = "ok"
        except GLib.Error as e:
            key, message = error_of(e)
            if not first_error:
                first_error.append(message)
        outcomes[key] = outcomes.get(key, 0) + 1
        pending[0] -= 1
        if pending[0] == 0:
            loop.quit()

    start = GLib.get_monotonic_time()
    for _ in range(count):
        bus.call(SERVICE, path, INTERFACE, "SendCommand", GLib.Variant("(ins)", (command, kind, name)),
                 None, Gio.DBusCallFlags.NONE, TIMEOUT_MS, None, done)
    if count:
        loop.run()
    seconds = (GLib.get_monotonic_time() - start) / 1e6
    summary = " ".join("%s=%d" % item for item in sorted(outcomes.items()))
    message = first_error[0][:200] if first_error else ""
    return "%.2f %s | %s" % (seconds, summary, message)


def main():
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    path = None

    def call(object_path, interface, member, params, reply_type):
        return bus.call_sync(SERVICE, object_path, interface, member, params,
                             GLib.VariantType.new(reply_type) if reply_type else None,
                             Gio.DBusCallFlags.NONE, TIMEOUT_MS, None)

    for line in sys.stdin:
        words = line.rstrip("\n").split(" ")
        request = words[0]
        try:
            if request == "quit":
                print("ok", flush=True)
                return 0
            if request == "name":
                answer = bus.get_unique_name()
            elif request == "pid":
                answer = str(os.getpid())
            elif request == "create":
                path = call("/RLX_Plug", "RLX_Plug.Factory", "CreateObject", None, "(o)").unpack()[0]
                answer = path
            elif request == "get":
                reply = call(path, PROPERTIES, "Get", GLib.Variant("(ss)", (INTERFACE, words[1])), "(v)")
                answer = show(reply.unpack()[0])
            elif request == "set":
                text = " ".join(words[3:])
                call(path, PROPERTIES, "Set",
                     GLib.Variant("(ssv)", (INTERFACE, words[1], value_of(words[2], text))), None)
                answer = None
            elif request == "send":
                params = GLib.Variant("(ins)", (int(words[1]), int(words[2]), " ".join(words[3:])))
                call(path, INTERFACE, "SendCommand", params, None)
                answer = None
            elif request == "flood":
                answer = flood(bus, path, int(words[1]), int(words[2]), int(words[3]), int(words[4]))
            elif request == "release":
                call(path, INTERFACE, "Release", None, None)
                answer = None
            else:
                print("error local\tunknown request " + request, flush=True)
                continue
        except GLib.Error as e:
            name, message = error_of(e)
            print("error %s\t%s" % (name, message), flush=True)
            continue
        print("ok" if answer is None else "ok " + answer, flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
