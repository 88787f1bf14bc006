#!/usr/bin/python3
"""Prints what a screen reader finds in a window of RLX_Plug, read through the
desktop's accessibility bus (AT-SPI): one line per control with a name,
"ROLE<TAB>NAME", in the window's order.

    a11y_labels.py TITLE [SECONDS]

TITLE is the window's exact title; the window is looked for during SECONDS
(default 10). Exit status 1 when it is not found.
"""
import sys
import time

import pyatspi


def walk(node, out):
    try:
        name = node.name
        role = node.getRoleName()
        count = node.childCount
    except Exception:  # a control that went away while it was read
        return
    if name:
        out.append(f"{role}\t{name}")
    for i in range(count):
        try:
            child = node.getChildAtIndex(i)
        except Exception:
            continue
        if child is not None:
            walk(child, out)


def find_window(title):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is None or app.name != "RLX_Plug":
            continue
        for i in range(app.childCount):
            window = app.getChildAtIndex(i)
            if window is not None and window.name == title:
                return window
    return None


def main():
    title = sys.argv[1]
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 10.0
    deadline = time.monotonic() + seconds
    while True:
        window = find_window(title)
        if window is not None:
            out = []
            walk(window, out)
            print("\n".join(out))
            return 0
        if time.monotonic() > deadline:
            print(f"no window '{title}' of RLX_Plug on the accessibility bus", file=sys.stderr)
            return 1
        time.sleep(0.2)


if __name__ == "__main__":
    sys.exit(main())
