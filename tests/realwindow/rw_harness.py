#!/usr/bin/python3
"""What the real-window suites share: Xvfb with the xcb platform, a private D-Bus session
with the accessibility bus, tqx-sim on a pseudo-terminal, widgets found through the
accessibility tree and clicked or typed with xdotool, window titles read from X, and the
run of the cases."""
import os
import re
import subprocess
import sys
import tempfile
import time
import traceback

WORK = tempfile.mkdtemp(prefix="tqx-realwindow.")
children = []
LOADER = SIM = None
loader = sim = sim_log = env = None
pyatspi = None


def start(argv, **kw):
    p = subprocess.Popen(argv, **kw)
    children.append(p)
    return p


def start_session(screen):
    """Xvfb on a free display, D-Bus and the accessibility bus; sets the environment."""
    read_fd, write_fd = os.pipe()
    start(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", screen + "x24", "-nolisten",
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


def begin(loader_path, sim_path, screen="1600x1000", font_dpi=None, window_manager=False):
    """A screen of `screen` pixels, the simulated controller on a pseudo-terminal, and the
    loader on it with its own settings and data folders (and fonts at `font_dpi`), under
    openbox when `window_manager` is set (its frames and placement, as a person has them)."""
    global LOADER, SIM, loader, sim, sim_log, env, pyatspi
    LOADER, SIM = loader_path, sim_path
    start_session(screen)
    import pyatspi as atspi  # needs the session bus of start_session
    pyatspi = atspi
    # The registry up before any program starts: one that starts first may never show in it.
    for _ in range(100):
        try:
            if pyatspi.Registry.getDesktop(0).childCount >= 0:
                break
        except Exception:
            pass
        time.sleep(0.1)
    time.sleep(0.5)

    pty = os.path.join(WORK, "pty")
    sim_log = open(os.path.join(WORK, "sim.log"), "w+")
    sim = start([SIM, "--pty", pty, "--verbose"], stdout=sim_log, stderr=subprocess.STDOUT)
    for _ in range(50):
        if os.path.exists(pty):
            break
        time.sleep(0.1)
    env = dict(os.environ, TQXCOMM_PORT1="rtu:" + pty, QT_QPA_PLATFORM="xcb",
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1",
               XDG_CONFIG_HOME=os.path.join(WORK, "config"),
               XDG_DATA_HOME=os.path.join(WORK, "data"))
    if font_dpi:
        env["QT_FONT_DPI"] = str(font_dpi)
    if window_manager:
        start(["openbox", "--sm-disable"], stderr=subprocess.DEVNULL)
        time.sleep(1.0)  # before the loader: one taking over under a starting client upsets it
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


def line_quiet(seconds=1.0, timeout=30.0):
    """Waits until the simulated controller has had no request for `seconds`: the
    operation under way is over, and the windows take input again."""
    end = time.time() + timeout
    last, since = requests(), time.time()
    while time.time() < end:
        time.sleep(0.1)
        now = requests()
        if now != last:
            last, since = now, time.time()
        elif time.time() - since >= seconds:
            return True
    return False


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


def x_geometry(title):
    """Where X has the visible window of this title: x, y, width, height in pixels."""
    ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % title],
                         capture_output=True, text=True).stdout.split()
    assert ids, "X shows no window %r" % title
    out = subprocess.run(["xdotool", "getwindowgeometry", "--shell", ids[-1]],
                         capture_output=True, text=True).stdout
    values = dict(line.split("=", 1) for line in out.split())
    return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))


_scale = None


def device_scale():
    """Screen pixels per accessibility unit: with large fonts Qt scales every window, and
    the accessibility tree speaks in unscaled units."""
    global _scale
    if _scale is None:
        frame = window("TQXLOADER")
        width = frame.queryComponent().getExtents(pyatspi.DESKTOP_COORDS).width
        _scale = x_geometry("TQXLOADER")[2] / float(width)
    return _scale


def on_screen(node):
    """The node's extents in screen pixels: left, top, right, bottom."""
    box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    f = device_scale()
    return box.x * f, box.y * f, (box.x + box.width) * f, (box.y + box.height) * f


def click(node, button=1, x_fraction=0.5):
    left, top, right, bottom = on_screen(node)
    x = int(left + (right - left) * x_fraction)
    y = int((top + bottom) / 2)
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
    failed = ran = 0
    only = os.environ.get("TQX_RW_CASES")  # a pattern for the names of the cases to run
    for name, body in cases:
        if only and not re.search(only, name):
            continue
        try:
            ran += 1
            body()
            print("ok    " + name, flush=True)
        except Exception as e:  # a missing window fails its case, not the run
            failed += 1
            where = traceback.extract_tb(e.__traceback__)[-1]
            print("FAIL  %s: %s (line %d)" % (
                name, e if isinstance(e, AssertionError) else repr(e), where.lineno), flush=True)
            # Whatever was left open would spoil the next case.
            for _ in range(4):
                key("Escape")
    return ran, failed


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



def main():
    """Runs the cases; the exit status for the script."""
    started = time.time()
    try:
        if not wait_for(lambda: window_now("TQXLOADER"), 40):
            print("FAIL  the loader did not show")
            print("0 passed, 1 failed")
            return 1
        ran, failed = run_cases()
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
    print("%d passed, %d failed" % (ran - failed, failed))
    return 1 if failed else 0


