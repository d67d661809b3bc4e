#!/usr/bin/python3
"""What a screen reader sees of a window, through AT-SPI.

  a11y_tree.py dump WINDOW OUT       the tree of the window named WINDOW, one
                                     object a line: role | name | description,
                                     indented by depth; into OUT
  a11y_tree.py press WINDOW BUTTON STATUS
                                     presses BUTTON by its action, as a screen
                                     reader does, and waits for the status bar
                                     to announce STATUS (a name change event)
Waits up to SKD_IT_WAIT seconds for the window.
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
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is None:
                continue
            for w in app:
                if w is not None and w.name == name:
                    return w
        time.sleep(0.2)
    sys.exit(f"no window {name!r} within {WAIT:.0f}s")


def lines(obj, depth=0):
    yield "  " * depth + f"{obj.getRoleName()} | {obj.name} | {obj.description}"
    for child in obj:
        # What is not shown is not read: hidden controls and ornaments.
        if child is not None and child.getState().contains(pyatspi.STATE_VISIBLE):
            yield from lines(child, depth + 1)


def find(obj, role, name):
    if obj.getRoleName() == role and obj.name == name:
        return obj
    for child in obj:
        if child is not None and (hit := find(child, role, name)):
            return hit
    return None


def dump(window, out):
    text = "\n".join(lines(find_window(window))) + "\n"
    with open(out, "w", encoding="utf-8") as f:
        f.write(text)
    sys.stdout.write(text)


def press(window, button, status):
    w = find_window(window)
    target = find(w, "push button", button)
    if target is None:
        sys.exit(f"no push button {button!r}")
    heard = []
    loop = GLib.MainLoop()

    def on_name(event):
        src = event.source
        if src is not None and src.getRoleName() == "status bar":
            heard.append(src.name)
            if src.name == status:
                loop.quit()

    pyatspi.Registry.registerEventListener(on_name, "object:property-change:accessible-name")
    action = target.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if "Press" not in names:
        sys.exit(f"{button!r} has no press action: {names}")
    GLib.timeout_add(500, lambda: action.doAction(names.index("Press")) and False)
    GLib.timeout_add(int(WAIT * 1000), loop.quit)
    loop.run()
    if status not in heard:
        sys.exit(f"the status bar announced {heard}, not {status!r}")
    print(f"status bar announced {status!r}")


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "dump":
        dump(sys.argv[2], sys.argv[3])
    elif len(sys.argv) == 5 and sys.argv[1] == "press":
        press(sys.argv[2], sys.argv[3], sys.argv[4])
    else:
        sys.exit(__doc__)
