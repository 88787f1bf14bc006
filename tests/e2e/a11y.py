#!/usr/bin/python3
"""Works RLX_Plug's windows as a screen reader user does, through the
desktop's accessibility bus (AT-SPI) alone.

    a11y.py labels TITLE                  the named controls, "ROLE<TAB>NAME" a line
    a11y.py press TITLE ROLE NAME         the control's first action (a click)
    a11y.py set-text TITLE ROLE NAME TEXT the text of the control's edit field
    a11y.py type TITLE ROLE NAME TEXT     focuses the control's edit field, then
                                          types TEXT as key strokes
    a11y.py key TITLE KEY                 one key (Tab, Return, Escape, Down, Up)
                                          into the window

TITLE is a window's exact title; ROLE and NAME are the role and name a screen
reader reads ("push button", "Dial"). A window is waited for up to ten
seconds. Exit status 1 when the window or the control is not found.
"""
import sys
import time

import pyatspi

WAIT_SECONDS = 10
# The X keysyms of the keys the scripts press.
KEYSYMS = {"Tab": 0xFF09, "Return": 0xFF0D, "Escape": 0xFF1B, "Down": 0xFF54, "Up": 0xFF52}


def windows():
    for app in pyatspi.Registry.getDesktop(0):
        if app is None or app.name != "RLX_Plug":
            continue
        for i in range(app.childCount):
            window = app.getChildAtIndex(i)
            if window is not None:
                yield window


def walk(node):
    try:
        count = node.childCount
    except Exception:  # a control that went away while it was read
        return
    yield node
    for i in range(count):
        try:
            child = node.getChildAtIndex(i)
        except Exception:
            continue
        if child is not None:
            yield from walk(child)


def find(title, role=None, name=None):
    deadline = time.monotonic() + WAIT_SECONDS
    while True:
        for window in windows():
            if window.name != title:
                continue
            if role is None:
                return window
            for node in walk(window):
                try:
                    if node.getRoleName() == role and node.name == name:
                        return node
                except Exception:
                    continue
        if time.monotonic() > deadline:
            what = f"'{title}'" + (f" with the {role} '{name}'" if role else "")
            raise SystemExit(f"a11y: no window {what} of RLX_Plug on the accessibility bus")
        time.sleep(0.2)


def edit_field(node):
    """The node itself when it takes text, else its first text child (a combo box's field)."""
    for candidate in walk(node):
        try:
            candidate.queryEditableText()
            return candidate
        except NotImplementedError:
            continue
    raise SystemExit(f"a11y: '{node.name}' has no edit field")


def main(argv):
    command, title = argv[1], argv[2]
    if command == "labels":
        for node in walk(find(title)):
            try:
                if node.name:
                    print(f"{node.getRoleName()}\t{node.name}")
            except Exception:
                continue
    elif command == "press":
        find(title, argv[3], argv[4]).queryAction().doAction(0)
    elif command == "set-text":
        edit_field(find(title, argv[3], argv[4])).queryEditableText().setTextContents(argv[5])
    elif command == "type":
        field = edit_field(find(title, argv[3], argv[4]))
        field.queryComponent().grabFocus()
        time.sleep(0.3)
        pyatspi.Registry.generateKeyboardEvent(0, argv[5], pyatspi.KEY_STRING)
    elif command == "key":
        find(title).queryComponent().grabFocus()
        pyatspi.Registry.generateKeyboardEvent(KEYSYMS[argv[3]], None, pyatspi.KEY_SYM)
    else:
        raise SystemExit(f"a11y: unknown command {command}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
