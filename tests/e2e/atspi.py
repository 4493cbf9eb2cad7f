#!/usr/bin/python3
"""Finds controls of a running program through the accessibility tree (AT-SPI).

  atspi.py ready                starts the accessibility bus and its registry, then ends
  atspi.py where APP NAME       "X Y W H" on the screen of the showing object named NAME
  atspi.py selected APP NAME    waits until the showing object named NAME is selected
  atspi.py unnamed APP          the showing controls without a name, one a line
  atspi.py texts APP            the names of the showing labels (message texts among them)

Waits up to 20 s for the program (and the object) to appear; exit 1 when it does not.
"""
import sys
import time

import pyatspi

CONTROLS = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY,
    pyatspi.ROLE_LIST, pyatspi.ROLE_LABEL, pyatspi.ROLE_TOGGLE_BUTTON,
}


def find_app(name, deadline):
    while time.monotonic() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    return None


def walk(obj):
    yield obj
    for child in obj:
        if child is not None:
            yield from walk(child)


def showing(obj):
    return obj.getState().contains(pyatspi.STATE_SHOWING)


def extents(obj):
    e = obj.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return e.x, e.y, e.width, e.height


def main(argv):
    if argv[1:] == ["ready"]:
        pyatspi.Registry.getDesktop(0)
        return 0
    if len(argv) < 3 or argv[1] not in ("where", "selected", "unnamed", "texts"):
        print(__doc__, file=sys.stderr)
        return 2
    deadline = time.monotonic() + 20
    app = find_app(argv[2], deadline)
    if app is None:
        print(f"atspi: no application named {argv[2]!r}", file=sys.stderr)
        return 1
    if argv[1] == "unnamed":
        for o in walk(app):
            if o.getRole() in CONTROLS and showing(o) and not o.name:
                print(o.getRoleName(), extents(o))
        return 0
    if argv[1] == "texts":
        for o in walk(app):
            if o.getRole() == pyatspi.ROLE_LABEL and showing(o) and o.name:
                print(o.name)
        return 0
    while True:
        for o in walk(app):
            if o.name != argv[3] or not showing(o):
                continue
            if argv[1] == "selected":
                if o.getState().contains(pyatspi.STATE_SELECTED):
                    return 0
                continue
            x, y, w, h = extents(o)
            if w > 0 and h > 0:
                print(x, y, w, h)
                return 0
        if time.monotonic() >= deadline:
            print(f"atspi: nothing showing named {argv[3]!r}" +
                  (" is selected" if argv[1] == "selected" else ""), file=sys.stderr)
            return 1
        time.sleep(0.2)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
