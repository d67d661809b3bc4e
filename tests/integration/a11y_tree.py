#!/usr/bin/python3
"""What a screen reader gets of a window through AT-SPI.

  a11y_tree.py dump WINDOW OUT      the window's tree into OUT, one shown
                                    object a line, indented by depth:
                                    role | name | description
  a11y_tree.py press WINDOW BUTTON STATUS
                                    presses BUTTON by its action and waits for
                                    the status bar to announce STATUS
"""
import os
import sys
import time

import pyatspi
from gi.repository import GLib

WAIT = float(os.environ.get("SKD_IT_WAIT", "30"))


def find_window(name):
    deadline = time.monotonic() + WAIT
    while time.monotonic() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            for w in app or []:
                if w is not None and w.name == name:
                    return w
        time.sleep(0.2)
    sys.exit(f"no window {name!r} within {WAIT:.0f}s")


def shown(obj):
    # Hidden controls and ornaments are not read.
    return [c for c in obj if c is not None and c.getState().contains(pyatspi.STATE_VISIBLE)]


def lines(obj, depth=0):
    yield "  " * depth + f"{obj.getRoleName()} | {obj.name} | {obj.description}"
    for child in shown(obj):
        yield from lines(child, depth + 1)


def find(obj, role, name):
    if obj.getRoleName() == role and obj.name == name:
        return obj
    return next((hit for c in shown(obj) if (hit := find(c, role, name))), None)


def press(window, button, status):
    target = find(find_window(window), "push button", button) or sys.exit(f"no {button!r}")
    action = target.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if "Press" not in names:
        sys.exit(f"{button!r} has no press action: {names}")
    heard = []
    loop = GLib.MainLoop()

    def on_name(event):
        if event.source is not None and event.source.getRoleName() == "status bar":
            heard.append(event.source.name)
            if event.source.name == status:
                loop.quit()

    pyatspi.Registry.registerEventListener(on_name, "object:property-change:accessible-name")
    # The program learns of the listener a moment later.
    GLib.timeout_add(500, lambda: action.doAction(names.index("Press")) and False)
    GLib.timeout_add(int(WAIT * 1000), loop.quit)
    loop.run()
    if status not in heard:
        sys.exit(f"the status bar announced {heard}, not {status!r}")


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "dump":
        with open(sys.argv[3], "w", encoding="utf-8") as f:
            f.write("\n".join(lines(find_window(sys.argv[2]))) + "\n")
    elif len(sys.argv) == 5 and sys.argv[1] == "press":
        press(*sys.argv[2:])
    else:
        sys.exit(__doc__)
