#!/usr/bin/python3
"""What a screen reader gets of a window through AT-SPI.

  a11y_tree.py WINDOW OUT   the window's tree into OUT, one shown object a
                            line, indented by depth: role | name | description
"""
import os
import sys
import time

import pyatspi

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


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    with open(sys.argv[2], "w", encoding="utf-8") as f:
        f.write("\n".join(lines(find_window(sys.argv[1]))) + "\n")
