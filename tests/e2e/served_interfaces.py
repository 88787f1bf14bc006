#!/usr/bin/python3
"""Holds the automation interfaces' introspection files to what the running
plug-in serves, on the session bus this runs on:

    served_interfaces.py FACTORY_XML OBJECT_XML

FACTORY_XML describes the object /RLX_Plug, OBJECT_XML an object made by
RLX_Plug.Factory.CreateObject (made and released here, on one connection).
Every interface a file holds must be served exactly so, and every interface
served other than org.freedesktop.DBus.* must be in the file: each method with
its arguments (name, type, direction, in order), each signal, each property
with its type and access, and their annotations. Every difference is printed;
the exit status is 1 when there is one.
"""
import sys
import xml.etree.ElementTree as ET

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

SERVICE = "RLX_Plug.LNSPlugInAPI"


def annotations(element):
    return tuple((a.get("name"), a.get("value")) for a in element.findall("annotation"))


def args(element, default_direction):
    return tuple((a.get("name"), a.get("type"), a.get("direction", default_direction))
                 for a in element.findall("arg"))


def interfaces(text):
    """Our interfaces of an introspection text: name -> every member, comparable."""
    found = {}
    for iface in ET.fromstring(text).findall("interface"):
        name = iface.get("name")
        if name.startswith("org.freedesktop.DBus."):
            continue
        members = {("interface", ""): annotations(iface)}
        for m in iface.findall("method"):
            members[("method", m.get("name"))] = (args(m, "in"), annotations(m))
        for s in iface.findall("signal"):
            members[("signal", s.get("name"))] = (args(s, "out"), annotations(s))
        for p in iface.findall("property"):
            members[("property", p.get("name"))] = (p.get("type"), p.get("access"), annotations(p))
        found[name] = members
    return found


def differences(path, described, served):
    out = []
    for name in sorted(set(described) | set(served)):
        if name not in served:
            out.append(f"{path}: {name} is described but not served")
            continue
        if name not in described:
            out.append(f"{path}: {name} is served but not described")
            continue
        want, have = described[name], served[name]
        for key in sorted(set(want) | set(have)):
            kind, member = key
            if key not in have:
                out.append(f"{path}: {name}: {kind} {member} is described but not served")
            elif key not in want:
                out.append(f"{path}: {name}: {kind} {member} is served but not described")
            elif want[key] != have[key]:
                out.append(f"{path}: {name}: {kind} {member}: described {want[key]}, served {have[key]}")
    return out


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)

    def call(path, interface, method, reply_type):
        return bus.call_sync(SERVICE, path, interface, method, None,
                             GLib.VariantType.new(reply_type) if reply_type else None,
                             Gio.DBusCallFlags.NONE, 25000, None)

    def introspect(path):
        return call(path, "org.freedesktop.DBus.Introspectable", "Introspect", "(s)").unpack()[0]

    factory = "/RLX_Plug"
    served_factory = introspect(factory)
    obj = call(factory, "RLX_Plug.Factory", "CreateObject", "(o)").unpack()[0]
    served_object = introspect(obj)
    call(obj, "RLX_Plug._LNSPlugInAPI", "Release", None)

    found = []
    for path, file, served in ((factory, argv[0], served_factory), (obj, argv[1], served_object)):
        with open(file, encoding="utf-8") as f:
            described = interfaces(f.read())
        if not described:
            found.append(f"{file}: describes no interface")
        found += differences(path, described, interfaces(served))
    for line in found:
        print(line, file=sys.stderr)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
