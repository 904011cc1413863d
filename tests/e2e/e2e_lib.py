"""A small library for driving the installer end to end under wine64 and Xvfb.

The ctest session fixture (tests/harness/wine-session) provides the wine prefix, the
display and the fixture servers; the environment names them (WINEPREFIX, DISPLAY,
CUMULO_BUILD_DIR, CUMULO_INSTALLER, CUMULO_STAT_HOST, ...). Typical use:

    with e2e_lib.prefix_settings(dpi=192, windows_version="win10"):
        run = e2e_lib.Installer.start(["--params", "utm=x"], russian=True)
        window = e2e_lib.find_window()
        shot = e2e_lib.screenshot("name")
        e2e_lib.click(window, 1048, 32)
        run.wait()
    e2e_lib.journal(run.log_path), e2e_lib.stat_events()
"""
import contextlib
import glob
import os
import re
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "harness"))
import fixture_client  # noqa: E402

# wine64, or the WoW64 wine of the i686 tier.
WINE64 = os.environ.get("CUMULO_WINE") or "/usr/lib/wine/wine64"
IMPORT = "/usr/bin/import"
CONVERT = "/usr/bin/convert"
WINDOW_TITLE = "Cumulo Installer"
PRODUCT_KEY = r"HKCU\Software\Aldervane\Aldervane_Cumulo"
# The installer's exit codes.
EXIT_INSTALLED = 0
EXIT_CLOSED = 1
EXIT_ALREADY_RUNNING = 2
EXIT_SYSTEM_REFUSED = 3
EXIT_CLIENT_NOT_STARTED = 5


def build_dir():
    return os.environ["CUMULO_BUILD_DIR"]


def artifacts_dir():
    path = os.path.join(build_dir(), "e2e-artifacts")
    os.makedirs(path, exist_ok=True)
    return path


def wine_path(unix_path):
    """The path as the wine process sees it, through drive Z:."""
    return "Z:" + os.path.abspath(unix_path).replace("/", "\\")


def wine_env(russian=False, extra=None):
    env = dict(os.environ)
    env.setdefault("WINEDEBUG", "-all")
    if russian:
        env["LANG"] = env["LC_ALL"] = "ru_RU.UTF-8"
    env.update(extra or {})
    return env


def wait_until(predicate, timeout, interval=0.2):
    """The predicate's first true value within the timeout, else None."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            return None
        time.sleep(interval)


# --- the installer process ---------------------------------------------------------

class Installer:
    """One run of the installer exe under wine64, with its own journal file."""

    def __init__(self, process, log_path):
        self.process = process
        self.log_path = log_path

    @classmethod
    def start(cls, args=(), russian=False, log=True, env=None, exe=None):
        """Starts the exe; with log=True a fresh journal in the artifacts folder is
        passed as --log before `args`."""
        exe = exe or os.environ["CUMULO_INSTALLER"]
        log_path = None
        command = [WINE64, exe]
        if log:
            fd, log_path = tempfile.mkstemp(prefix="journal-", suffix=".log", dir=artifacts_dir())
            os.close(fd)
            os.unlink(log_path)  # the installer creates it
            command += ["--log", wine_path(log_path)]
        command += list(args)
        process = subprocess.Popen(command, env=wine_env(russian, env),
                                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        return cls(process, log_path)

    def wait(self, timeout=30):
        """The exit code; raises subprocess.TimeoutExpired when it runs on."""
        return self.process.wait(timeout=timeout)

    def running(self):
        return self.process.poll() is None

    def stop(self):
        """Ends this run (only this process) if it still runs."""
        if self.running():
            self.process.kill()
            self.process.wait(timeout=10)

    def journal(self):
        return journal(self.log_path) if self.log_path else []


def web_cache_leftovers():
    """Files in the prefix's WinInet cache that a run must not leave: one as large as a
    setup package the session serves, or an entry of a telemetry request ("update[N]")."""
    packages = os.path.join(build_dir(), "test-session", "packages")
    sizes = {os.path.getsize(os.path.join(packages, name))
             for name in (os.listdir(packages) if os.path.isdir(packages) else [])}
    found = []
    users = os.path.join(os.environ["WINEPREFIX"], "drive_c", "users", "*")
    for cache in (glob.glob(os.path.join(users, "AppData", "Local", "Microsoft", "Windows", "INetCache"))
                  + glob.glob(os.path.join(users, "*", "Temporary Internet Files"))):
        for folder, _, files in os.walk(cache):
            for name in files:
                path = os.path.join(folder, name)
                if os.path.getsize(path) in sizes or name.lower().startswith("update"):
                    found.append(path)
    return found


def assert_no_web_cache_leftovers(test):
    leftovers = web_cache_leftovers()
    for path in leftovers:
        os.unlink(path)  # so that one failure does not fail every later test
    test.assertEqual(leftovers, [], "left in the web cache")


class InstallerTestCase(unittest.TestCase):
    """A test of installer runs: the statistics endpoint emptied and the pointer parked
    before each test; every run it started (self.runs) stopped after it."""

    def setUp(self):
        reset_stat()
        park_pointer()
        self.runs = []

    def tearDown(self):
        for run in self.runs:
            run.stop()
        assert_no_web_cache_leftovers(self)


def journal(path):
    """The journal's lines as (level, message) pairs; [] when there is no file."""
    if not path or not os.path.exists(path):
        return []
    with open(path, encoding="utf-8-sig", errors="replace") as f:
        lines = []
        for line in f.read().splitlines():
            m = re.match(r"\[([IEW])\] \[[^\]]*\] \[[^\]]*\] (.*)$", line)
            lines.append((m.group(1), m.group(2)) if m else ("?", line))
        return lines


def journal_messages(path):
    return [message for _, message in journal(path)]


# --- telemetry recorded by the statistics fixture ---------------------------------

def stat_host():
    return os.environ["CUMULO_STAT_HOST"]


def reset_stat():
    fixture_client.reset(stat_host())


def stat_requests():
    return fixture_client.requests(stat_host())


def stat_events(requests=None):
    """The (name, value) of every recorded telemetry request, in arrival order."""
    events = []
    for r in stat_requests() if requests is None else requests:
        m = re.search(r"(?:^|&)i=new_installer_([^:&]+):(-?\d+)", r.get("query", ""))
        if m:
            events.append((m.group(1), int(m.group(2))))
    return events


def stat_event_names(requests=None):
    return [name for name, _ in stat_events(requests)]


def wait_painted(timeout=30):
    """True once the statistics fixture has the run's "first": telemetry waits for the
    window's first paint (the statistics must have been reset before the start)."""
    return bool(wait_until(lambda: "first" in stat_event_names(), timeout))


# --- prefix registry settings ------------------------------------------------------

def reg(*args):
    # wine's launcher now and then fails to start reg.exe itself ("Application could not be
    # started"); that says nothing about the registry, so the command is tried again.
    for _ in range(3):
        r = subprocess.run([WINE64, "reg"] + list(args), env=wine_env(), capture_output=True,
                           text=True, timeout=60)
        if "could not be started" not in r.stdout + r.stderr:
            return r
        time.sleep(0.5)
    return r


def reg_query(key, name):
    """The value's data as text, or None when it is absent."""
    r = reg("query", key, "/v", name)
    if r.returncode != 0:
        return None
    for line in r.stdout.splitlines():
        parts = line.split(None, 2)
        if len(parts) >= 2 and parts[0] == name and parts[1].startswith("REG_"):
            return parts[2] if len(parts) == 3 else ""
    return None


def reg_set(key, name, data, kind="REG_SZ"):
    r = reg("add", key, "/v", name, "/t", kind, "/d", str(data), "/f")
    if r.returncode != 0:
        raise RuntimeError("reg add failed: %s %s" % (r.stdout, r.stderr))


def reg_delete(key, name):
    reg("delete", key, "/v", name, "/f")


@contextlib.contextmanager
def registry_value(key, name, data, kind="REG_SZ"):
    """Sets a value for the block (None deletes it) and restores the old state after."""
    old = reg_query(key, name)
    try:
        if data is None:
            reg_delete(key, name)
        else:
            reg_set(key, name, data, kind)
        yield
    finally:
        if old is None:
            reg_delete(key, name)
        elif kind == "REG_DWORD":
            reg_set(key, name, int(old, 0), kind)
        else:
            reg_set(key, name, old, kind)


HTTPS_OPEN_KEY = r"HKLM\Software\Classes\https\shell\open\command"


@contextlib.contextmanager
def recorded_browser():
    """For the block, the prefix opens https addresses with tools/open_recorder instead of
    a browser. Yields (env, read): env for the installer's environment, read() the
    addresses opened so far."""
    record = os.path.join(artifacts_dir(), "opened-%d.txt" % os.getpid())
    if os.path.exists(record):
        os.unlink(record)
    tool = os.path.join(os.environ.get("CUMULO_TOOLS_DIR") or os.path.join(build_dir(), "tools"),
                        "open_recorder.exe")
    old = reg("query", HTTPS_OPEN_KEY, "/ve").stdout
    m = re.search(r"REG_SZ\s+(.*\S)", old)
    reg("add", HTTPS_OPEN_KEY, "/ve", "/d", '"%s" %%1' % wine_path(tool), "/f")

    def read():
        if not os.path.exists(record):
            return []
        with open(record, encoding="utf-8") as f:
            return f.read().splitlines()
    try:
        yield {"CUMULO_OPEN_RECORD": wine_path(record)}, read
    finally:
        if m:
            reg("add", HTTPS_OPEN_KEY, "/ve", "/d", m.group(1), "/f")
        if os.path.exists(record):
            os.unlink(record)


@contextlib.contextmanager
def prefix_settings(dpi=None, windows_version=None):
    """Display density (LogPixels) and the Windows version wine reports ("winxp",
    "win10", ...; None keeps the default Windows 7 SP1), restored afterwards."""
    with contextlib.ExitStack() as stack:
        if dpi is not None:
            stack.enter_context(registry_value(r"HKCU\Control Panel\Desktop", "LogPixels",
                                               dpi, "REG_DWORD"))
        if windows_version is not None:
            stack.enter_context(registry_value(r"HKCU\Software\Wine", "Version",
                                               windows_version))
        yield


# --- windows, input and screenshots --------------------------------------------------

def xdotool(*args):
    return subprocess.run(["xdotool"] + [str(a) for a in args], capture_output=True, text=True,
                          timeout=30)


def find_windows(title=WINDOW_TITLE):
    r = xdotool("search", "--name", "^%s$" % re.escape(title))
    return [int(w) for w in r.stdout.split()] if r.returncode == 0 else []


def find_window(title=WINDOW_TITLE, timeout=30):
    """The id of the visible window with exactly this title; None when none appears."""
    def visible():
        for w in find_windows(title):
            g = geometry(w)
            if g and g[2] > 1 and g[3] > 1:
                return w
        return None
    return wait_until(visible, timeout)


def geometry(window):
    """(x, y, width, height) of the window on the screen, or None."""
    r = xdotool("getwindowgeometry", "--shell", window)
    if r.returncode != 0:
        return None
    values = dict(line.split("=", 1) for line in r.stdout.split() if "=" in line)
    try:
        return (int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"]))
    except (KeyError, ValueError):
        return None


def move_pointer(x, y):
    """Moves the pointer and returns once the X server has it there."""
    xdotool("mousemove", "--sync", x, y)


def park_pointer():
    """Moves the pointer to the screen's corner, away from every control."""
    move_pointer(0, 0)


def hover(window, x, y):
    """Moves the pointer to window-relative (x, y), with a small second step so that the
    control sees a move inside itself. False (and no move) when the window is gone."""
    g = geometry(window)
    if g is None:
        return False
    gx, gy, _, _ = g
    # The X server hands the moves to wine in order, ahead of any later click or key.
    move_pointer(gx + x - 1, gy + y)
    move_pointer(gx + x, gy + y)
    return True


def click(window, x, y):
    """A left click at window-relative (x, y); False (and no click) when the window is gone."""
    if not hover(window, x, y):
        return False
    xdotool("click", "1")
    return True


def focus(window):
    """Gives the window the X keyboard focus, as a desktop's window manager gives it to a
    program's new window (Xvfb has none, and its focus otherwise follows the pointer)."""
    xdotool("windowfocus", "--sync", window)  # returns once the X server gave it the focus


def key(name):
    """A key press for the focused window, e.g. "Return", "Escape"."""
    xdotool("key", name)


class ProbedWindow:
    """What tools/window_probe found in a window: its client size, the id of the control
    with the keyboard focus (0 for none) and its child controls by id, each a dict with
    visible, enabled, tabstop, x, y, w, h (ints), text and, for the installer window's
    texts, need = (width, height) measured with the font the installer draws it with."""

    def __init__(self, size, focus, controls):
        self.size, self.focus, self.controls = size, focus, controls


def probe(title=WINDOW_TITLE):
    """Probes the window with exactly this title; None when there is none."""
    tool = os.path.join(os.environ.get("CUMULO_TOOLS_DIR") or os.path.join(build_dir(), "tools"),
                        "window_probe.exe")
    r = subprocess.run([WINE64, tool, title], env=wine_env(), capture_output=True, text=True,
                       timeout=60)
    if r.returncode != 0:
        return None
    size, focus, controls = None, 0, {}
    for line in r.stdout.splitlines():
        kind, *fields = line.split()
        values = dict(f.split("=", 1) for f in fields)
        if kind == "window":
            size = (int(values["w"]), int(values["h"]))
        elif kind == "focus":
            focus = int(values["id"])
        elif kind == "control":
            c = {k: int(values[k]) for k in ("visible", "enabled", "tabstop", "x", "y", "w", "h")}
            c["text"] = bytes.fromhex(values.get("text", "")).decode("utf-16-be")
            if "need" in values:
                c["need"] = tuple(int(v) for v in values["need"].split("x"))
            controls[int(values["id"])] = c
    return ProbedWindow(size, focus, controls)


class Image:
    """An RGB screenshot; pixel(x, y) -> (r, g, b)."""

    def __init__(self, width, height, data, path):
        self.width, self.height, self.data, self.path = width, height, data, path

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def crop(self, region=None):
        """The pixel bytes of the rectangle (x, y, width, height), clipped to the image;
        all of them for None."""
        if region is None:
            return self.data
        x, y, width, height = region
        x0, x1 = max(0, x), min(self.width, x + width)
        return b"".join(self.data[(yy * self.width + x0) * 3:(yy * self.width + x1) * 3]
                        for yy in range(max(0, y), min(self.height, y + height)))

    def fraction(self, x, y, width, height, rgb):
        """The share of the pixels of the rectangle that have exactly this colour."""
        hits = total = 0
        for yy in range(max(0, y), min(self.height, y + height)):
            for xx in range(max(0, x), min(self.width, x + width)):
                total += 1
                hits += self.pixel(xx, yy) == rgb
        return hits / total if total else 0.0


def hex_rgb(text):
    text = text.lstrip("#")
    return tuple(int(text[i:i + 2], 16) for i in (0, 2, 4))


def settled_screenshot(name, region=None, timeout=30):
    """The screen once two captures in a row agree on the region ((x, y, width, height),
    the whole screen for None): a paint in progress never shows. None when it keeps
    changing for the whole timeout."""
    last = [None]

    def settled():
        shot = screenshot(name)
        seen = shot.crop(region)
        same, last[0] = seen == last[0], seen
        return shot if same else None
    return wait_until(settled, timeout)


def screenshot(name):
    """Saves the whole screen as <artifacts>/<name>.png and returns it as an Image."""
    path = os.path.join(artifacts_dir(), name + ".png")
    subprocess.run([IMPORT, "-window", "root", path], check=True, timeout=60,
                   env=dict(os.environ))
    ppm = subprocess.run([CONVERT, path, "-depth", "8", "ppm:-"], check=True,
                         capture_output=True, timeout=60).stdout
    return Image(*_parse_ppm(ppm), path)


def _parse_ppm(data):
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    if fields[0] != b"P6" or int(fields[3]) != 255:
        raise ValueError("unexpected screenshot format")
    width, height = int(fields[1]), int(fields[2])
    pos += 1  # the single blank after the header
    return width, height, data[pos:pos + width * height * 3]
