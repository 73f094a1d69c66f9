#!/usr/bin/python3
"""Drives the real loader as a person would: titles, names, keys and the window during
long transfers (see rw_harness.py for how).

    real_window.py TQXLOADER TQX_SIM

Prints one line per case and closes with "N passed, N failed"; exits 1 when any failed.
"""
import os
import subprocess
import sys
import time

import rw_harness as h

h.begin(sys.argv[1], sys.argv[2])
import pyatspi  # noqa: E402  (needs the session bus that begin() starts)
from rw_harness import (WORK, case, check_names, check_title, click, close_box, combo,  # noqa: E402
                        control, descendants, focus, gone, key, menu, requests, start,
                        titles_seen, line_quiet, wait_for, window, window_now, writes, x_titles,
                        application)

@case("main window title and Alt+F opens the File menu")
def _():
    check_title("TQXLOADER")
    frame = window("TQXLOADER")
    file_menu = control(frame, "menu item", "File")
    key("alt+f")
    popup = wait_for(lambda: file_menu[0].getState().contains(pyatspi.STATE_SHOWING), 3)
    key("Escape", "Escape")
    assert popup, "Alt+F did not open the File menu"


@case("Connect: its title, names, and Enter confirms")
def _():
    menu("c", "s")
    check_title("CONNECT")
    check_names("CONNECT")
    key("Return")
    assert gone("CONNECT")
    assert wait_for(lambda: requests() >= 58, 20), "Connect did not read the controller"
    assert line_quiet(), "Connect did not end"


@case("SYSTEM PARAMETER: title, names, help box title, Enter in an open list")
def _():
    before = writes()
    menu("p", "s")
    check_title("SYSTEM PARAMETER")
    check_names("SYSTEM PARAMETER")
    win = window("SYSTEM PARAMETER")
    click(control(win, "push button", "PVF"))
    assert "TQXLOADER961114" in close_box("SYSTEM PARAMETER"), "message box title"
    titles_seen.append("TQXLOADER961114")
    pvu = combo(win, "PVU")
    click(pvu, x_fraction=0.3)
    key("alt+Down", "Down", "Return")
    assert window_now("SYSTEM PARAMETER") is not None, "Enter in the open list closed it"
    assert writes() == before, "Enter in the open list wrote to the controller"
    key("Escape")
    assert gone("SYSTEM PARAMETER")
    assert writes() == before


@case("EXPERT PARAMETER: Enter after a help box, on CANCEL, OK, RETRIEVE writes nothing")
def _():
    before = writes()
    menu("p", "a")
    check_title("EXPERT PARAMETER")
    check_names("EXPERT PARAMETER")
    win = window("EXPERT PARAMETER")
    click(control(win, "push button", "SV-H"))
    close_box("EXPERT PARAMETER")
    key("Return")  # the SV-H button still has the focus: its help again, no SEND
    close_box("EXPERT PARAMETER")
    assert writes() == before, "Enter after the help box sent"
    reads = requests()
    focus(control(win, "push button", "RETRIEVE"))
    key("Return")
    assert wait_for(lambda: requests() > reads, 5), "Enter on RETRIEVE did not retrieve"
    assert line_quiet(), "RETRIEVE did not end"
    assert window_now("EXPERT PARAMETER") is not None
    for button in ("CANCEL", "OK"):
        if window_now("EXPERT PARAMETER") is None:
            menu("p", "a")
        win = window("EXPERT PARAMETER")
        focus(control(win, "push button", button))
        key("Return")
        assert gone("EXPERT PARAMETER"), "Enter on %s left the dialog open" % button
    assert writes() == before, "Enter on a button wrote to the controller"
    # Enter in a field still sends.
    menu("p", "a")
    win = window("EXPERT PARAMETER")
    click(control(win, "text", "SV-H"))
    key("Return")
    assert wait_for(lambda: writes() > before, 5), "Enter in a field did not send"
    assert line_quiet(), "SEND did not end"
    key("Escape")
    assert gone("EXPERT PARAMETER")


@case("SETTING OF PID GROUP: title and names")
def _():
    menu("p", "i")
    check_title("SETTING OF PID GROUP")
    check_names("SETTING OF PID GROUP")
    key("Escape")
    assert gone("SETTING OF PID GROUP")


@case("Program Pattern and its sub-editors: titles, names, Enter in an open list")
def _():
    before = writes()
    menu("p", "p")
    check_title("Program Pattern")
    check_names("Program Pattern")
    pattern = window("Program Pattern")

    click(control(pattern, "push button", "SETTING OF PID GROUP"))
    check_title("Setting of PID group")
    check_names("Setting of PID group")
    sub = window("Setting of PID group")
    pidno = combo(sub, "PIDNO, segment 1")
    click(pidno, x_fraction=0.3)
    key("alt+Down")
    if os.environ.get("TQX_RW_DEBUG"):
        print("  focused:", [ (c.getRoleName(), c.name) for c in descendants(application()) if c.getState().contains(pyatspi.STATE_FOCUSED)])
        print("  windows:", x_titles())
    key("Down", "Return")
    assert window_now("Setting of PID group") is not None, "Enter in the open list cancelled"
    key("Escape")
    assert gone("Setting of PID group")

    for button, title in (("SETTING OF ALARM VALUE  1to4", "Setting of alarm values"),
                          ("GUARANTEED  SOAK ", "Guaranteed soak")):
        click(control(pattern, "push button", button))
        check_title(title)
        check_names(title)
        key("Escape")
        assert gone(title)

    graph = "Display      START:Click anywhere     QUIT:Right Click anywhere"
    click(control(pattern, "push button", "VIEW"))
    check_title(graph)
    click(window(graph), button=3)
    assert gone(graph)
    key("Escape")
    assert gone("Program Pattern")
    assert writes() == before


@case("FILE NAME: title and names")
def _():
    menu("f", "r")
    check_title("FILE NAME")
    check_names("FILE NAME")
    key("Escape")
    assert gone("FILE NAME")


@case("no title carries a suffix")
def _():
    suffixed = [n for n in x_titles() if " \u2014 " in n]
    assert not suffixed, suffixed
    assert len(set(titles_seen)) >= 11, sorted(set(titles_seen))


# --- a slow controller: the window during long transfers --------------------------------

slow = False


def restart_slow(latency_ms=150):
    """Ends the loader and the simulator and starts both again, the controller answering
    each call after `latency_ms`, under a window manager so that Alt+F4 is a real close."""
    global slow
    if slow:
        return
    slow = True
    for p in (h.loader, h.sim):
        p.terminate()
        p.wait(5)
    gone("TQXLOADER")
    start(["openbox", "--sm-disable"], stderr=subprocess.DEVNULL)
    time.sleep(1.0)  # a window manager that takes over under a starting client upsets it
    slow_pty = os.path.join(WORK, "slow-pty")
    h.sim_log = open(os.path.join(WORK, "slow-sim.log"), "w+")
    h.sim = start([h.SIM, "--pty", slow_pty, "--verbose", "--latency-ms", str(latency_ms)],
                  stdout=h.sim_log, stderr=subprocess.STDOUT)
    assert wait_for(lambda: os.path.exists(slow_pty), 5), "the slow simulator did not start"
    h.loader = start([h.LOADER], env=dict(h.env, TQXCOMM_PORT1="rtu:" + slow_pty),
                     stderr=subprocess.DEVNULL)
    assert wait_for(lambda: window_now("TQXLOADER"), 40), "the loader did not show again"


def is_box(window):
    """A message box or question (titled TQXLOADER961114), or the progress window (titled
    with its operation, showing the transfer step)."""
    return window.name == "TQXLOADER961114" or any(
        c.name == "Transfer step" for c in descendants(window))


def button_in_box(text, button):
    """The `button` of the box that shows `text`, None while there is none."""
    for box in application() or []:
        if box is None or not box.getState().contains(pyatspi.STATE_SHOWING) or \
                not is_box(box):
            continue
        if any(text in c.name for c in descendants(box)):
            found = next((c for c in descendants(box) if c.getRoleName() == "push button" and
                          c.name.replace("&", "") == button), None)
            if found is not None:
                return found
    return None


@case("a slow Connect: the window answers at every poll, and Cancel stops it")
def _():
    restart_slow()
    menu("c", "s")
    assert window("CONNECT") is not None, "no CONNECT"
    key("Return")
    assert gone("CONNECT")
    assert wait_for(lambda: requests() >= 3, 10), "Connect did not start"
    slowest, polls = 0.0, 0
    end = time.time() + 5
    while time.time() < end:
        t = time.time()
        frame = window_now("TQXLOADER")
        assert frame is not None and frame.childCount > 0, "the main window is not there"
        _ = [c.name for c in descendants(frame[0])]  # the menu bar and its menus
        slowest = max(slowest, time.time() - t)
        polls += 1
        time.sleep(0.1)
    print("      %d polls, slowest answer %.0f ms" % (polls, slowest * 1000), flush=True)
    assert polls >= 20 and slowest < 0.3, "%d polls, slowest %.3f s" % (polls, slowest)
    progress = window_now("Connect")  # the progress window, titled with the operation
    assert progress is not None, "no progress window during the Connect"
    at_click = requests()
    click(control(progress, "push button", "Cancel"))
    assert wait_for(lambda: button_in_box("stopped by the operator", "OK"), 5), \
        "Cancel did not stop the Connect"
    settled = requests()
    time.sleep(1.0)
    # The count is read before the click travels through the accessibility bus: a call may
    # begin meanwhile, and the call under way ends; nothing after that.
    assert requests() == settled <= at_click + 2, \
        "requests after Cancel: %d at the click, %d, then %d" % (at_click, settled, requests())
    click(button_in_box("stopped by the operator", "OK"))
    assert gone("TQXLOADER961114")


@case("Alt+F4 during a pattern SEND: the closing question, the call under way ends first")
def _():
    restart_slow()
    menu("p", "p")
    pattern = window("Program Pattern")
    assert pattern is not None, "no Program Pattern"
    before = writes()
    click(control(pattern, "push button", "SEND"))
    assert wait_for(lambda: writes() > before, 5), "SEND did not start"
    # The progress window comes up on top after a moment and takes the keyboard.
    assert wait_for(lambda: button_in_box("Transfer", "Cancel"), 5), "no progress window"
    key("alt+F4")
    question = wait_for(lambda: button_in_box("A transfer with TQX is under way", "Yes"), 5)
    assert question is not None, "no closing question"
    assert h.loader.poll() is None, "the loader ended before the question was answered"
    click(question)
    answered = requests()
    for _ in range(6):  # whatever else asks before closing: an unsent edit
        if wait_for(lambda: h.loader.poll() is not None, 3):
            break
        # Any box that asks or tells (the progress window goes by itself).
        answer_button = button_in_box("", "Yes") or button_in_box("", "OK")
        if answer_button is not None:
            click(answer_button)
    assert h.loader.poll() == 0, "the loader did not close (%s)" % h.loader.poll()
    h.sim_log.flush()
    with open(h.sim_log.name) as f:
        last = [line for line in f if line.startswith("tqx-sim: #")][-1]
    assert requests() <= answered + 1, "calls went on after the answer"
    assert last.rstrip().endswith("ok"), "the last call was cut off: " + last



def snapshots(path):
    """How many snapshots the history at `path` holds (none before its first)."""
    import sqlite3
    if not os.path.exists(path):
        return 0
    with sqlite3.connect(path) as db:
        return db.execute("SELECT COUNT(*) FROM snapshots").fetchone()[0]


def answer(text, button):
    """Presses `button` in the box that says `text`, after OK in each message before it
    (the store step's refusals)."""
    for _ in range(10):
        found = wait_for(lambda: button_in_box(text, button), 3)
        if found is not None:
            click(found)
            assert wait_for(lambda: button_in_box(text, button) is None, 5), "the box stayed"
            return
        other = button_in_box("", "OK")
        assert other is not None, "no box with %r and %s" % (text, button)
        click(other)
    raise AssertionError("no box with %r and %s" % (text, button))


@case("after a Connect that read nothing, each editor's SEND asks; No writes nothing")
def _():
    for p in (h.loader, h.sim):
        if p.poll() is None:
            p.terminate()
            p.wait(5)
    gone("TQXLOADER")
    late_pty = os.path.join(WORK, "late-pty")
    history = os.path.join(WORK, "late-history.sqlite")
    h.loader = start([h.LOADER], env=dict(h.env, TQXCOMM_PORT1="rtu:" + late_pty,
                                          TQX_HISTORY=history), stderr=subprocess.DEVNULL)
    assert wait_for(lambda: window_now("TQXLOADER"), 40), "the loader did not show again"
    menu("c", "s")
    assert window("CONNECT") is not None, "no CONNECT"
    key("Return")
    assert gone("CONNECT")
    # Nothing answers: the failures are told; every box is closed.
    while wait_for(lambda: window_now("TQXLOADER961114"), 10) is not None:
        box = window_now("TQXLOADER961114")
        ok = next((c for c in descendants(box) if c.getRoleName() == "push button"
                   and c.name.replace("&", "") == "OK"), None)
        if ok is None:
            break
        click(ok)
        time.sleep(0.5)
    # The controller comes on line where port 1 looks.
    h.sim_log = open(os.path.join(WORK, "late-sim.log"), "w+")
    h.sim = start([h.SIM, "--pty", late_pty, "--verbose"], stdout=h.sim_log,
                  stderr=subprocess.STDOUT)
    assert wait_for(lambda: os.path.exists(late_pty), 5), "the simulator did not start"
    editors = [("s", "SYSTEM PARAMETER"), ("a", "EXPERT PARAMETER"),
               ("i", "SETTING OF PID GROUP"), ("p", "Program Pattern")]
    for item, title in editors:
        menu("p", item)
        win = window(title)
        assert win is not None, "no " + title
        line = wait_for(lambda: next(c for c in descendants(win) if c.getRoleName() == "label"
                                     and c.name.startswith("not read from the controller")))
        assert line is not None, title + " does not say its values were not read"
        if title == "Program Pattern":
            # The segment PID editor writes nothing itself: the start values' PIDNO 0 is
            # refused there, and what it holds goes out with the pattern's SEND.
            click(control(win, "push button", "SETTING OF PID GROUP"))
            sub = window("Setting of PID group")
            assert sub is not None, "no Setting of PID group"
            before = writes()
            click(control(sub, "push button", "OK"))
            answer("PIDNO_seg1 is wrong", "OK")
            click(control(sub, "push button", "CANCEL"))
            assert gone("Setting of PID group"), "Setting of PID group stayed open"
            assert writes() == before, "the segment PID editor wrote"
        before, kept = writes(), snapshots(history)
        click(control(win, "push button", "SEND"))
        answer("not read from the controller", "No")
        time.sleep(0.5)
        assert writes() == before, title + ": No wrote to the controller"
        assert snapshots(history) == kept, title + ": No was recorded"
        click(control(win, "push button", "SEND"))
        answer("not read from the controller", "Yes")
        if title == "SYSTEM PARAMETER":  # the start values' STN 0: Cancel writes nothing
            answer("broadcast address", "Cancel")
            time.sleep(0.5)
            assert writes() == before, "Cancel at STN 0 wrote to the controller"
            combo_field = control(win, "text", "STN")
            click(combo_field)
            key("ctrl+a", "1")
            click(control(win, "push button", "SEND"))
            answer("not read from the controller", "Yes")
        # The store step's refusals of start values, then what the SEND reports.
        end = time.time() + 20
        while time.time() < end and (writes() == before or window_now("TQXLOADER961114")):
            assert button_in_box("broadcast address", "Cancel") is None, "STN was not typed"
            other = button_in_box("", "OK")
            if other is not None:
                click(other)
            time.sleep(0.3)
        assert writes() > before, title + ": Yes did not write"
        assert wait_for(lambda: snapshots(history) > kept, 10), title + ": not recorded"
        click(control(win, "push button", "CANCEL"))
        assert gone(title), title + " stayed open"
        print("      %s: asked, No wrote nothing, Yes wrote and was recorded" % title,
              flush=True)


if __name__ == "__main__":
    sys.exit(h.main())
