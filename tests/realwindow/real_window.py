#!/usr/bin/python3
"""Drives the real loader as a person would: Xvfb with the xcb platform, a private D-Bus
session with the accessibility bus, tqx-sim on a pseudo-terminal, widgets found through
the accessibility tree and clicked or typed with xdotool, window titles read from X.

    real_window.py TQXLOADER TQX_SIM

Prints one line per case and closes with "N passed, N failed"; exits 1 when any failed.
"""
import os
import re
import subprocess
import sys
import tempfile
import time

LOADER, SIM = sys.argv[1], sys.argv[2]
WORK = tempfile.mkdtemp(prefix="tqx-realwindow.")
children = []


def start(argv, **kw):
    p = subprocess.Popen(argv, **kw)
    children.append(p)
    return p


def start_session():
    """Xvfb on a free display, D-Bus and the accessibility bus; sets the environment."""
    read_fd, write_fd = os.pipe()
    start(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1600x1000x24", "-nolisten",
           "tcp"], pass_fds=[write_fd], stderr=subprocess.DEVNULL)
    os.close(write_fd)
    display = b""
    while not display.endswith(b"\n"):
        chunk = os.read(read_fd, 16)
        if not chunk:
            sys.exit("real_window: Xvfb did not start")
        display += chunk
    os.environ["DISPLAY"] = ":" + display.decode().strip()
    out = subprocess.check_output(["dbus-launch", "--sh-syntax"], text=True)
    for name, value in re.findall(r"(\w+)='?([^';]*)'?;", out):
        os.environ[name] = value
    start(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
          stderr=subprocess.DEVNULL)
    time.sleep(0.5)


start_session()
import pyatspi  # noqa: E402  (needs the session bus of start_session)

# The registry up before any program starts: one that starts first may never show in it.
for _ in range(100):
    try:
        if pyatspi.Registry.getDesktop(0).childCount >= 0:
            break
    except Exception:
        pass
    time.sleep(0.1)
time.sleep(0.5)

# --- the programs ---------------------------------------------------------------------

pty = os.path.join(WORK, "pty")
sim_log = open(os.path.join(WORK, "sim.log"), "w+")
sim = start([SIM, "--pty", pty, "--verbose"], stdout=sim_log, stderr=subprocess.STDOUT)
for _ in range(50):
    if os.path.exists(pty):
        break
    time.sleep(0.1)
env = dict(os.environ, TQXCOMM_PORT1="rtu:" + pty, QT_QPA_PLATFORM="xcb",
           QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
loader = start([LOADER], env=env, stderr=subprocess.DEVNULL)


def writes():
    """How many write requests the simulated controller has had."""
    sim_log.flush()
    with open(sim_log.name) as f:
        return sum(1 for line in f if re.match(r"tqx-sim: #\d+ write", line))


def requests():
    with open(sim_log.name) as f:
        return sum(1 for line in f if line.startswith("tqx-sim: #"))


# --- finding and touching things -------------------------------------------------------

def wait_for(what, timeout=10.0):
    end = time.time() + timeout
    while True:
        try:
            value = what()
        except Exception:  # the tree changes under us while windows open and close
            value = None
        if value or time.time() > end:
            return value
        time.sleep(0.05)


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "TQXLOADER961114":
            return app
    return None


def window(title):
    """The top-level window (frame or dialog) of the loader with this accessible name."""
    def find():
        app = application()
        for w in app or []:
            if w is not None and w.name == title and w.getState().contains(
                    pyatspi.STATE_SHOWING):
                return w
        return None
    return wait_for(find)


def gone(title):
    return wait_for(lambda: window_now(title) is None)


def window_now(title):
    app = application()
    for w in app or []:
        if w is not None and w.name == title and w.getState().contains(pyatspi.STATE_SHOWING):
            return w
    return None


def descendants(node):
    for child in node:
        if child is None:
            continue
        yield child
        yield from descendants(child)


def control(win, role, name):
    return wait_for(lambda: next(c for c in descendants(win)
                                 if c.getRoleName() == role and c.name == name))


def combo(win, name):
    """An editable drop-down by the name of its edit field (on Linux the drop-down itself
    is named by its value)."""
    edit = control(win, "text", name)
    assert edit is not None and edit.parent.getRoleName() == "combo box", "no drop-down " + name
    return edit.parent


def click(node, button=1, x_fraction=0.5):
    box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    x = box.x + int(box.width * x_fraction)
    y = box.y + box.height // 2
    subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", str(button)], check=True)


def key(*keys):
    for k in keys:
        subprocess.run(["xdotool", "key", k], check=True)
        time.sleep(0.15)


def focus(node):
    node.queryComponent().grabFocus()
    wait_for(lambda: node.getState().contains(pyatspi.STATE_FOCUSED), 3)


def x_titles():
    """The names of every visible X window."""
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "."],
                         capture_output=True, text=True).stdout.split()
    names = []
    for wid in out:
        r = subprocess.run(["xdotool", "getwindowname", wid], capture_output=True, text=True)
        names.append(r.stdout.rstrip("\n"))
    return names


def menu(title_key, item_key):
    give_focus("TQXLOADER")
    key("alt+" + title_key)
    time.sleep(0.3)
    key(item_key)


# --- the cases ---------------------------------------------------------------------------

cases = []


def case(name):
    def register(body):
        cases.append((name, body))
        return body
    return register


def run_cases():
    failed = 0
    only = os.environ.get("TQX_RW_CASES")  # a pattern for the names of the cases to run
    for name, body in cases:
        if only and not re.search(only, name):
            continue
        try:
            body()
            print("ok    " + name, flush=True)
        except Exception as e:  # a missing window fails its case, not the run
            failed += 1
            print("FAIL  %s: %s" % (name, e if isinstance(e, AssertionError) else repr(e)),
                  flush=True)
            # Whatever was left open would spoil the next case.
            for _ in range(4):
                key("Escape")
    return failed


titles_seen = []


def give_focus(title):
    """Without a window manager nobody hands the keyboard to a new window: do it."""
    for wid in subprocess.run(["xdotool", "search", "--onlyvisible", "--name",
                               "^%s$" % re.escape(title)], capture_output=True,
                              text=True).stdout.split():
        subprocess.run(["xdotool", "windowfocus", "--sync", wid], check=False)


def check_title(title):
    """The window is up, and X shows its title exactly, with nothing appended."""
    assert window(title) is not None, "no window %r" % title
    give_focus(title)
    names = wait_for(lambda: [n for n in x_titles() if n.startswith(title)], 3) or []
    assert title in names, "X shows %r for %r" % (names, title)
    titles_seen.append(title)


def check_names(title):
    """Every edit field and drop-down of the window has a name, and no two share one."""
    win = window(title)
    assert win is not None, "no window %r" % title
    # A drop-down and its own edit field are one control; on Linux the drop-down itself
    # is named by its value, and its edit field, which takes the typing, by what it is.
    names = []
    for c in descendants(win):
        role = c.getRoleName()
        if not c.getState().contains(pyatspi.STATE_SHOWING):
            continue
        if role == "combo box":
            edits = [e for e in c if e is not None and e.getRoleName() == "text"]
            names.append(edits[0].name if edits else "")
        elif role == "text" and not (c.parent and c.parent.getRoleName() == "combo box"):
            names.append(c.name)
    assert names, "no fields found in %r" % title
    unnamed = names.count("")
    dupes = sorted({n for n in names if n and names.count(n) > 1})
    assert unnamed == 0 and not dupes, "%s: %d fields, %d unnamed, shared: %s" % (
        title, len(names), unnamed, dupes[:5])


def close_box(back_to):
    """Closes the message box on top with Enter and hands the keyboard back to the window
    `back_to`, as a window manager would; returns the box's X title."""
    box = window("TQXLOADER961114")
    assert box is not None, "no message box"
    give_focus("TQXLOADER961114")
    names = [n for n in x_titles() if n.startswith("TQXLOADER961114")]
    key("Return")
    assert gone("TQXLOADER961114"), "the message box stayed"
    give_focus(back_to)
    return names


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
    global loader, sim, sim_log, slow
    if slow:
        return
    slow = True
    for p in (loader, sim):
        p.terminate()
        p.wait(5)
    gone("TQXLOADER")
    start(["openbox", "--sm-disable"], stderr=subprocess.DEVNULL)
    time.sleep(1.0)  # a window manager that takes over under a starting client upsets it
    slow_pty = os.path.join(WORK, "slow-pty")
    sim_log = open(os.path.join(WORK, "slow-sim.log"), "w+")
    sim = start([SIM, "--pty", slow_pty, "--verbose", "--latency-ms", str(latency_ms)],
                stdout=sim_log, stderr=subprocess.STDOUT)
    assert wait_for(lambda: os.path.exists(slow_pty), 5), "the slow simulator did not start"
    loader = start([LOADER], env=dict(env, TQXCOMM_PORT1="rtu:" + slow_pty),
                   stderr=subprocess.DEVNULL)
    assert wait_for(lambda: window_now("TQXLOADER"), 40), "the loader did not show again"


def button_in_box(text, button):
    """The `button` of the message box that shows `text`, None while there is none (the
    progress window shares the boxes' title)."""
    for box in application() or []:
        if box is None or box.name != "TQXLOADER961114" or not box.getState().contains(
                pyatspi.STATE_SHOWING):
            continue
        if any(text in c.name for c in descendants(box)):
            return next(c for c in descendants(box) if c.getRoleName() == "push button" and
                        c.name.replace("&", "") == button)
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
    progress = window_now("TQXLOADER961114")
    assert progress is not None, "no progress window during the Connect"
    at_click = requests()
    click(control(progress, "push button", "Cancel"))
    assert wait_for(lambda: button_in_box("stopped by the operator", "OK"), 5), \
        "Cancel did not stop the Connect"
    settled = requests()
    time.sleep(1.0)
    assert requests() == settled <= at_click + 1, \
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
    assert loader.poll() is None, "the loader ended before the question was answered"
    click(question)
    answered = requests()
    for _ in range(6):  # whatever else asks before closing: an unsent edit
        if wait_for(lambda: loader.poll() is not None, 3):
            break
        other = window_now("TQXLOADER961114")
        if other is not None:
            click(next(c for c in descendants(other) if c.getRoleName() == "push button"
                       and c.name.replace("&", "") in ("Yes", "OK")))
    assert loader.poll() == 0, "the loader did not close (%s)" % loader.poll()
    sim_log.flush()
    with open(sim_log.name) as f:
        last = [line for line in f if line.startswith("tqx-sim: #")][-1]
    assert requests() <= answered + 1, "calls went on after the answer"
    assert last.rstrip().endswith("ok"), "the last call was cut off: " + last


def main():
    started = time.time()
    try:
        if not wait_for(lambda: window_now("TQXLOADER"), 40):
            print("FAIL  the loader did not show")
            print("0 passed, 1 failed")
            return 1
        failed = run_cases()
    finally:
        for p in reversed(children):
            p.terminate()
        for p in children:
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()
        subprocess.run(["pkill", "-f", "dbus-daemon.*" + os.environ.get(
            "DBUS_SESSION_BUS_ADDRESS", "none").split("guid=")[-1]], check=False)
    print("real window: %.1f s" % (time.time() - started))
    print("%d passed, %d failed" % (len(cases) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
