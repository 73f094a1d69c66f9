#!/usr/bin/python3
"""The editors on a given screen, as a person meets them: every transfer button on the
screen, message boxes over the window that raised them, fields marked where they differ
from the controller, help on hover, and Tab from field to field.

    fit_window.py TQXLOADER TQX_SIM WIDTHxHEIGHT FONT_DPI

TQX_RW_WM=1 runs it under a window manager (openbox).

Prints one line per case and closes with "N passed, N failed"; exits 1 when any failed.
"""
import os
import subprocess
import sys
import time

import rw_harness as h

SCREEN, FONT_DPI = sys.argv[3], int(sys.argv[4])
h.begin(sys.argv[1], sys.argv[2], screen=SCREEN, font_dpi=FONT_DPI,
        window_manager=os.environ.get("TQX_RW_WM") == "1")
import pyatspi  # noqa: E402  (needs the session bus that begin() starts)
from rw_harness import (case, click, close_box, control, descendants, device_scale,  # noqa: E402
                        focus, gone, give_focus, key, line_quiet, menu, on_screen, requests,
                        wait_for, window, window_now, writes, x_geometry)

SCREEN_W, SCREEN_H = (int(n) for n in SCREEN.split("x"))
EDITORS = (("s", "SYSTEM PARAMETER"), ("a", "EXPERT PARAMETER"), ("i", "SETTING OF PID GROUP"),
           ("p", "Program Pattern"))


def centre(geometry):
    x, y, w, h_ = geometry
    return x + w / 2.0, y + h_ / 2.0


def message_box():
    """A box with OK that X shows (not the progress window, which shares the title)."""
    for w in h.application() or []:
        if w is not None and w.name == "TQXLOADER961114" and \
                w.getState().contains(pyatspi.STATE_SHOWING) and \
                any(c.getRoleName() == "push button" and c.name.replace("&", "") == "OK"
                    for c in descendants(w)):
            return w
    return None


def box_near(parent, what):
    """The message box on top is centred over `parent` (within 40 px); closes it."""
    assert wait_for(message_box, 5), "no message box for " + what
    # Mapped and placed: the hidden progress window shares the title, so wait for X.
    assert wait_for(lambda: subprocess.run(
        ["xdotool", "search", "--onlyvisible", "--name", "^TQXLOADER961114$"],
        capture_output=True, text=True).stdout.split(), 5), "X shows no box for " + what
    time.sleep(0.3)
    (bx, by), (px, py) = centre(x_geometry("TQXLOADER961114")), centre(x_geometry(parent))
    close_box(parent)
    assert abs(bx - px) <= 40 and abs(by - py) <= 40, \
        "%s: box centre (%d, %d), %s centre (%d, %d)" % (what, bx, by, parent, px, py)


def description(node):
    return node.description or ""


def open_editor(item, title):
    """Opens the editor of Parameter setting's item `item`; its window."""
    menu("p", item)
    win = window(title)
    assert win is not None, "no " + title
    return win


def edit(node, text):
    """Replaces the field's text by typing, as a person would."""
    click(node)
    key("ctrl+a")
    subprocess.run(["xdotool", "type", "--delay", "30", text], check=True)
    time.sleep(0.2)


@case("Connect reads the controller")
def _():
    menu("c", "s")
    assert window("CONNECT") is not None, "no CONNECT"
    key("Return")
    assert gone("CONNECT")
    assert wait_for(lambda: requests() >= 58, 30), "Connect did not read the controller"
    assert gone("Connect"), "Connect did not end"


@case("every editor's RETRIEVE, SEND, OK and CANCEL lie on the %s screen at %d dpi" %
      (SCREEN, FONT_DPI))
def _():
    for item, title in EDITORS:
        win = open_editor(item, title)
        for name in ("RETRIEVE", "SEND", "OK", "CANCEL"):
            left, top, right, bottom = on_screen(control(win, "push button", name))
            assert left >= 0 and top >= 0 and right <= SCREEN_W and bottom <= SCREEN_H, \
                "%s: %s at %d,%d-%d,%d" % (title, name, left, top, right, bottom)
        key("Escape")
        assert gone(title), title + " stayed open"


@case("SYSTEM PARAMETER: help on hover, F1 and the button alike; Tab from PVF to PVB")
def _():
    win = open_editor("s", "SYSTEM PARAMETER")
    click(control(win, "push button", "PVF"))
    assert wait_for(lambda: window_now("TQXLOADER961114"), 5), "no help box"
    shown = [c.name for c in descendants(window_now("TQXLOADER961114"))
             if c.getRoleName() == "label" and len(c.name) > 20]
    box_near("SYSTEM PARAMETER", "the PVF help button")
    assert shown, "the help box shows no text"
    help_text = shown[0]

    pvf = control(win, "text", "PVF")
    click(pvf)
    key("F1")
    box_near("SYSTEM PARAMETER", "F1 in PVF")

    # The tooltip: move away, then rest on the field.
    subprocess.run(["xdotool", "mousemove", "0", "0"], check=True)
    time.sleep(0.5)
    left, top, right, bottom = on_screen(pvf)
    subprocess.run(["xdotool", "mousemove", str(int((left + right) / 2)),
                    str(int((top + bottom) / 2))], check=True)

    def tip():
        for w in h.application() or []:
            if w is not None and w.getRoleName() == "tool tip" and \
                    w.getState().contains(pyatspi.STATE_SHOWING):
                return w.name or " ".join(c.name for c in descendants(w))
        return None
    tip_text = wait_for(tip, 5)
    assert tip_text and help_text in tip_text, "PVF tooltip %r, help %r" % (tip_text, help_text)

    # A value out of its range: SEND says so in a box over the editor (and keeps the old
    # value).
    tf = control(win, "text", "TF")
    typed = tf.queryText().getText(0, -1)
    edit(tf, "99999")
    click(control(win, "push button", "SEND"))
    box_near("SYSTEM PARAMETER", "a TF out of its range, on SEND")
    while wait_for(message_box, 2):  # and whatever follows it
        box_near("SYSTEM PARAMETER", "the next box of that SEND")
    edit(tf, typed)

    give_focus("SYSTEM PARAMETER")
    focus(pvf)
    key("Tab")
    pvb = control(win, "text", "PVB")
    assert wait_for(lambda: pvb.getState().contains(pyatspi.STATE_FOCUSED), 3), \
        "Tab from PVF did not go to PVB"
    key("Escape")
    assert gone("SYSTEM PARAMETER")


@case("a sub-editor over the pattern window, and a message box over Setting of alarm values")
def _():
    pattern = open_editor("p", "Program Pattern")
    click(control(pattern, "push button", "GUARANTEED  SOAK "))
    assert window("Guaranteed soak") is not None, "no Guaranteed soak"
    time.sleep(0.3)
    (sx, sy), (px, py) = centre(x_geometry("Guaranteed soak")), centre(x_geometry("Program Pattern"))
    give_focus("Guaranteed soak")
    key("Escape")
    gone("Guaranteed soak")
    assert abs(sx - px) <= 40 and abs(sy - py) <= 40, \
        "Guaranteed soak centre (%d, %d), Program Pattern centre (%d, %d)" % (sx, sy, px, py)
    click(control(pattern, "push button", "SETTING OF ALARM VALUE  1to4"))
    alarms = window("Setting of alarm values")
    assert alarms is not None, "no Setting of alarm values"
    give_focus("Setting of alarm values")
    edit(control(alarms, "text", "ALARM1, segment 1"), "abc")
    click(control(alarms, "push button", "OK"))
    box_near("Setting of alarm values", "a value that is no number")
    for title in ("Setting of alarm values", "Program Pattern"):
        if window_now(title) is not None:
            give_focus(title)
            key("Escape")
            gone(title)


@case("EXPERT PARAMETER: a new SV-H is marked with the controller's value until a SEND")
def _():
    win = open_editor("a", "EXPERT PARAMETER")
    field = control(win, "text", "SV-H")
    assert "controller" not in description(field), description(field)
    edit(field, "1100")
    assert wait_for(lambda: "controller" in description(field), 3), \
        "SV-H typed, description %r" % description(field)
    before = writes()
    click(control(win, "push button", "SEND"))
    assert wait_for(lambda: writes() > before, 5), "SEND wrote nothing"
    assert wait_for(lambda: "controller" not in description(field), 10), \
        "after a verified SEND, description %r" % description(field)
    # What the SEND did, in the editor and in the main window's status bar.
    said = "Advanced usage (EXPERT PARAMETER) sent and verified, "
    line = control(win, "label", "Last command")
    assert line is not None and wait_for(lambda: description(line).startswith(said), 5), \
        "the editor says %r" % (line and description(line))
    key("Escape")
    gone("EXPERT PARAMETER")
    status = control(window("TQXLOADER"), "label", "Last command")
    assert status is not None and description(status).startswith(said), \
        "the status bar says %r" % (status and description(status))
    print("      status bar: %s" % description(status), flush=True)


# --- every window fits ---------------------------------------------------------------------

CONTROL_ROLES = {"push button", "text", "combo box", "radio button", "check box", "label",
                 "spin button", "table", "tree table", "tree", "list", "page tab", "slider"}


def extents(node):
    box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return box.x, box.y, box.x + box.width, box.y + box.height


def showing(node):
    state = node.getState()
    return state.contains(pyatspi.STATE_SHOWING) and state.contains(pyatspi.STATE_VISIBLE)


def fit_problems(title):
    """What is wrong with how the window of `title` fits: controls not wholly inside it, and
    scroll bars of its own (not of a list or table) while the screen has room for it."""
    win = window(title)
    assert win is not None, "no window %r" % title
    time.sleep(0.5)  # laid out and placed
    left, top, right, bottom = extents(win)
    problems = []
    scrolled = []
    for c in descendants(win):
        if not showing(c):
            continue
        role = c.getRoleName()
        # The scroll bars of the window's own fields (lists and texts scroll in themselves).
        if role == "scroll bar" and c.parent is not None and c.parent.name == "Fields":
            scrolled.append(c)
        if role not in CONTROL_ROLES or (role == "label" and not c.name):
            continue
        if c.parent is not None and c.parent.getRoleName() in ("table", "tree table",
                                                                 "list", "tree"):
            continue  # rows of a list scroll in it
        l, t, r, b = extents(c)
        if r - l <= 0 or b - t <= 0:
            continue
        if l < left - 1 or t < top - 1 or r > right + 1 or b > bottom + 1:
            problems.append("%s %r at %d,%d-%d,%d outside %d,%d-%d,%d" % (
                role, c.name, l, t, r, b, left, top, right, bottom))
    f = device_scale()
    room_w, room_h = SCREEN_W / f, SCREEN_H / f
    has_room = (right - left) < room_w - 60 and (bottom - top) < room_h - 100
    if scrolled and has_room:
        problems.append("%d scroll bar(s) though the screen has room (window %dx%d of %dx%d)" % (
            len(scrolled), right - left, bottom - top, room_w, room_h))
    return problems, (right - left) * f, (bottom - top) * f


def click_menu_item(menu_key, name):
    """Opens the menu of Alt+`menu_key` and clicks its item `name`."""
    give_focus("TQXLOADER")
    key("alt+" + menu_key)
    time.sleep(0.5)

    def item():
        for c in descendants(h.application()):
            if c.getRoleName() == "menu item" and c.name.replace("&", "") == name and \
                    c.getState().contains(pyatspi.STATE_SHOWING):
                return c
        return None
    found = wait_for(item, 3)
    assert found is not None, "no menu item " + name
    click(found)


def close_window(title):
    give_focus(title)
    key("Escape")
    assert gone(title), title + " stayed open"


fits = []


def check_fit(title):
    problems, w, h_ = fit_problems(title)
    fits.append("%s %dx%d" % (title, w, h_))
    assert not problems, "%s: %s" % (title, "; ".join(problems[:4]))


@case("every dialog and sub-editor fits the %s screen at %d dpi" % (SCREEN, FONT_DPI))
def _():
    failures = []

    def checked(title):
        try:
            check_fit(title)
        except AssertionError as e:
            failures.append(str(e))

    for item, title in EDITORS:
        open_editor(item, title)
        checked(title)
        if title != "Program Pattern":
            close_window(title)
    pattern = window("Program Pattern")
    for button, title in (("SETTING OF PID GROUP", "Setting of PID group"),
                          ("SETTING OF ALARM VALUE  1to4", "Setting of alarm values"),
                          ("GUARANTEED  SOAK ", "Guaranteed soak"),
                          ("PROFILE", "PROFILE  PATTERN 1")):
        click(control(pattern, "push button", button))
        checked(title)
        close_window(title)
    graph = "Display      START:Click anywhere     QUIT:Right Click anywhere"
    click(control(pattern, "push button", "VIEW"))
    checked(graph)
    click(window(graph), button=3)
    gone(graph)
    close_window("Program Pattern")
    for menu_key, name, title in (("f", "Read...", "FILE NAME"),
                                  ("c", "Port settings...", "Port settings"),
                                  ("c", "Communication...", "Communication"),
                                  ("h", "Keyboard keys...", "Keyboard keys"),
                                  ("h", "User guide...", "TQXLOADER user guide"),
                                  ("h", "About TQXLOADER...", "About TQXLOADER"),
                                  ("c", "Compare with controller...", "Compare with controller"),
                                  ("c", "Send all to controller...", "SEND ALL"),
                                  ("f", "History...", "History")):
        click_menu_item(menu_key, name)
        line_quiet(0.8, 30)  # what reads the controller first
        if window(title) is None:
            failures.append("no window " + title)
            continue
        checked(title)
        close_window(title)
    for line in fits:
        print("      " + line, flush=True)
    assert not failures, " | ".join(failures)


if __name__ == "__main__":
    sys.exit(h.main())
