#!/usr/bin/python3
"""File > History... on a given screen, as an auditor meets it: the window on the screen,
every column of the controllers and of the snapshots in view without scrolling, every button
on the screen, and the chain verified from the window.

    fit_history.py TQXLOADER TQX_SIM WIDTHxHEIGHT FONT_DPI

Prints one line per case and closes with "N passed, N failed"; exits 1 when any failed.
"""
import sys

import rw_harness as h

SCREEN, FONT_DPI = sys.argv[3], int(sys.argv[4])
h.begin(sys.argv[1], sys.argv[2], screen=SCREEN, font_dpi=FONT_DPI)
from rw_harness import (case, click, control, descendants, gone, key, menu,  # noqa: E402
                        on_screen, requests, wait_for, window, x_geometry)

SCREEN_W, SCREEN_H = (int(n) for n in SCREEN.split("x"))
BUTTONS = ("Compare the two snapshots selected", "Compare the snapshot with Loader",
           "Compare the snapshot with the controller", "Load the snapshot into Loader",
           "Export the snapshot as a parameter file",
           "Write the snapshot's parameter report as PDF",
           "Move the snapshot to another controller", "Verify the history's chain", "Close",
           "Join the controller into another", "Write the controller's audit report",
           "Save the note")


def inside(box, outer, slack=2):
    return (box[0] >= outer[0] - slack and box[1] >= outer[1] - slack and
            box[2] <= outer[2] + slack and box[3] <= outer[3] + slack)


def headers(table, count):
    """The table's column headers: its first children after the corner (the cells follow
    them, too many to walk)."""
    first = [table.getChildAtIndex(i) for i in range(count + 2)]
    return [c for c in first if c.getRoleName() == "table column header"][:count]


@case("Connect records the first snapshot")
def _():
    menu("c", "s")
    assert window("CONNECT") is not None, "no CONNECT"
    key("Return")
    assert gone("CONNECT")
    assert wait_for(lambda: requests() >= 58, 30), "Connect did not read the controller"
    assert gone("Connect"), "Connect did not end"


@case("History on the %s screen at %d dpi: every column and button in view" %
      (SCREEN, FONT_DPI))
def _():
    menu("f", "h")
    win = window("History")
    assert win is not None, "no History window"
    x, y, w, h_ = x_geometry("History")
    assert x >= 0 and y >= 0 and x + w <= SCREEN_W and y + h_ <= SCREEN_H, \
        "History at %d,%d %dx%d" % (x, y, w, h_)
    screen = (0, 0, SCREEN_W, SCREEN_H)
    snapshots = control(win, "table", "Snapshots")
    assert wait_for(lambda: snapshots.childCount > 6, 10), "no snapshot listed"
    for table, names in ((control(win, "table", "Controllers"),
                          ("Label", "Model code", "Port", "Unit", "Last seen", "Snapshots",
                           "Stable port name")),
                         (snapshots, ("#", "Time", "What", "User", "Groups", "Note"))):
        area = on_screen(table)
        for header, name in zip(headers(table, len(names)), names):
            assert header.name.startswith(name), "header %r, not %r" % (header.name, name)
            box = on_screen(header)
            assert inside(box, area) and box[2] - box[0] > 4, \
                "%s: column %r at %d-%d, the list %d-%d" % (table.name, header.name, box[0],
                                                            box[2], area[0], area[2])
    for name in BUTTONS:
        button = control(win, "push button", name)
        assert button is not None, "no button " + name
        box = on_screen(button)
        assert inside(box, screen), "%s at %d,%d-%d,%d" % ((name,) + tuple(box))


@case("Verify chain says the chain is whole")
def _():
    win = window("History")
    click(control(win, "push button", "Verify the history's chain"))
    found = wait_for(lambda: next(c for c in descendants(win)
                                  if c.getRoleName() == "label" and
                                  c.name.startswith("Chain ")), 15)
    assert found is not None and found.name.startswith("Chain whole: 1 snapshots"), \
        "the window says %r" % (found.name if found else None)
    key("Escape")
    assert gone("History"), "History stayed open"


if __name__ == "__main__":
    sys.exit(h.main())
