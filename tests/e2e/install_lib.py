"""Install-road helpers for the end-to-end tests, on top of e2e_lib.

The stand-ins (tools/stand_in_setup, tools/stand_in_client) take their behaviour from the
environment the installer passes on; `Road` gives each test a record folder and an install
folder of its own and reads back what the stand-ins recorded.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_lib as e2e  # noqa: E402
import fixture_client  # noqa: E402  (e2e_lib put the harness on the path)

PACKAGE_PATH = "/cumulo/Cumulo_setup_offline.exe"
SILENT = "/VERYSILENT /SUPPRESSMSGBOXES /NORESTART /NOCLOSEAPPLICATIONS"
CAPTION = "Cumulo:"
CLIENT_TITLE = "E2DCED31-32EB-406B-BCA8-38879C45600D-HDJK6678HBHCAVGL667"
# The Install button's centre at scale 1 (it sits at 80, 429 and is 184 x 48).
INSTALL_BUTTON = (172, 453)


def tools_dir():
    return os.environ.get("CUMULO_TOOLS_DIR") or os.path.join(e2e.build_dir(), "tools")


def package(name="signed.exe"):
    """The setup stand-in as the session prepared it: signed.exe (by the build's package
    publisher, what the distribution server serves), unsigned.exe, tampered.exe, other.exe."""
    return os.path.join(e2e.build_dir(), "test-session", "packages", name)


def dist_host():
    return os.environ["CUMULO_DIST_HOST"]


def unix_path(wine_path):
    """A C: or Z: path of the prefix as a Unix path."""
    drive, rest = wine_path[0].lower(), wine_path[2:].replace("\\", "/")
    if drive == "z":
        return rest
    return os.path.join(os.environ["WINEPREFIX"], "drive_%s" % drive) + rest


def record_lines(path):
    if not os.path.exists(path):
        return []
    with open(path, encoding="utf-8") as f:
        return f.read().splitlines()


def end_clients():
    """Ends every stand-in client of the prefix (the only Cumulo.exe processes there)."""
    subprocess.run([e2e.WINE64, "taskkill", "/F", "/IM", "Cumulo.exe"], env=e2e.wine_env(),
                   capture_output=True, timeout=60)


def delete_install_path():
    e2e.reg_delete(e2e.PRODUCT_KEY, "InstallPath")


def press_install(window, scale=1):
    e2e.click(window, INSTALL_BUTTON[0] * scale, INSTALL_BUTTON[1] * scale)
    e2e.park_pointer()


def find_caption_window(timeout=30):
    """A message box or the error dialog: both carry the caption "Cumulo:"."""
    return e2e.find_window(CAPTION, timeout)


class Road:
    """One installation road: its record and install folders and the stand-ins' settings."""

    def __init__(self, name, exit_codes=None, client_mode=None, setup_delay_ms=None):
        base = os.path.join(e2e.build_dir(), "e2e-install")
        os.makedirs(base, exist_ok=True)
        self.dir = tempfile.mkdtemp(prefix=name + "-", dir=base)
        self.records = os.path.join(self.dir, "records")
        self.install_dir = os.path.join(self.dir, "Install Folder")
        os.makedirs(self.records)
        self.processes = []
        self.env = {
            "CUMULO_STANDIN_DIR": e2e.wine_path(self.records),
            "CUMULO_SETUP_INSTALL_DIR": e2e.wine_path(self.install_dir),
        }
        if client_mode != "never_appear":
            self.env["CUMULO_STANDIN_CLIENT"] = e2e.wine_path(
                os.path.join(tools_dir(), "Cumulo.exe"))
        if exit_codes is not None:
            self.env["CUMULO_SETUP_EXIT_CODES"] = exit_codes
        if client_mode is not None:
            self.env["CUMULO_CLIENT_MODE"] = client_mode
        if setup_delay_ms is not None:
            self.env["CUMULO_SETUP_DELAY_MS"] = str(setup_delay_ms)

    def lines(self, name):
        return record_lines(os.path.join(self.records, name))

    def setup_commands(self):
        return self.lines("setup_commands.txt")

    def setup_parameters(self):
        """Each attempt's parameters: the command line after the quoted package path."""
        out = []
        for line in self.setup_commands():
            m = re.match(r'^"[^"]*"(.*)$', line)
            out.append(m.group(1).lstrip(" ") if m else line)
        return out

    def log_path_given(self):
        """The /LOG path of the first attempt, as a Unix path; None without one."""
        for line in self.setup_commands():
            m = re.search(r'/LOG="([^"]*)"', line)
            if m:
                return unix_path(m.group(1))
        return None

    def package_path(self):
        log = self.log_path_given()
        return log[:-4] + ".exe" if log else None

    def client_argv(self):
        return self.lines("client_argv.txt")

    def client_command_line(self):
        lines = self.lines("client_cmdline.txt")
        return lines[0] if lines else None

    def start_client(self, mode):
        """Starts the stand-in client from the shell, as a running client before Install."""
        env = dict(self.env, CUMULO_CLIENT_MODE=mode)
        process = subprocess.Popen([e2e.WINE64, os.path.join(tools_dir(), "Cumulo.exe")],
                                   env=e2e.wine_env(extra=env), stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        e2e.wait_until(lambda: e2e.find_windows(CLIENT_TITLE), 30)
        self.processes.append(process)
        return process

    def cleanup(self):
        for process in self.processes:
            if process.poll() is None:
                process.kill()
            process.wait(10)
        shutil.rmtree(self.dir, ignore_errors=True)


def ordered_subsequence(needles, haystack):
    """True when every needle occurs in the haystack in this order."""
    it = iter(haystack)
    return all(any(n == h for h in it) for n in needles)


def stat_queries():
    return [r.get("query", "") for r in e2e.stat_requests()]


def dist_requests():
    return fixture_client.requests(dist_host())


def script_dist(responses):
    fixture_client.script(dist_host(), PACKAGE_PATH, responses)


def reset_dist():
    fixture_client.reset(dist_host())


def wait_for_exit(run, timeout):
    try:
        return run.wait(timeout)
    except subprocess.TimeoutExpired:
        return None


def shot(name, timeout=10):
    """Evidence of the state just reached: the screen once it has settled, or, where
    something on it keeps moving (a progress bar), the last capture."""
    return e2e.settled_screenshot(name, timeout=timeout) or e2e.screenshot(name)


# The error dialog's template is 215 x 82 dialog units; its buttons' centres in those units.
ERROR_DIALOG_UNITS = (215, 82)
JOURNAL_BUTTON_UNITS = (32, 68)
OK_BUTTON_UNITS = (183, 68)


def click_dialog_button(dialog, units):
    """Clicks a control of the error dialog by its template position, scaled to the
    dialog's size on the screen (so whatever font wine gives it)."""
    _, _, width, height = e2e.geometry(dialog)
    e2e.click(dialog, units[0] * width // ERROR_DIALOG_UNITS[0],
              units[1] * height // ERROR_DIALOG_UNITS[1])
    e2e.park_pointer()


def dismiss_box(box):
    """Presses OK of a message box: a click gives it the keyboard, Enter presses OK. Enter is
    pressed again only when the box is still there long after the last one (a window takes
    about 2 s to go): a second Enter reaching the window behind would press Install."""
    for _ in range(3):
        if box not in e2e.find_windows(CAPTION):
            return True
        if not e2e.click(box, 8, 8):
            continue  # gone meanwhile
        e2e.key("Return")
        if e2e.wait_until(lambda: box not in e2e.find_windows(CAPTION), 20):
            return True
    return box not in e2e.find_windows(CAPTION)


INSTALL_ID = 1003  # the Install button's control id


def wait_ready(title=e2e.WINDOW_TITLE, timeout=30):
    """The probed window once its Install button is visible and enabled, else None."""
    def ready():
        probed = e2e.probe(title)
        c = probed.controls.get(INSTALL_ID) if probed else None
        return probed if c and c["visible"] and c["enabled"] else None
    return e2e.wait_until(ready, timeout)


def forget_attribution():
    """Start-up reads --params only while no utm is stored; each road starts without one."""
    for name in ("utm", "installer_intro", "gclid_cookie"):
        e2e.reg_delete(e2e.PRODUCT_KEY, name)


class RoadTestCase(unittest.TestCase):
    """A test of install roads: clean registry, fixtures and clients around every test,
    and the installer started for a road with its window up."""

    PARAMS = []

    def setUp(self):
        e2e.reset_stat()
        reset_dist()
        end_clients()
        delete_install_path()
        forget_attribution()
        e2e.park_pointer()
        self.runs, self.roads, self.files = [], [], []

    def tearDown(self):
        for run in self.runs:
            run.stop()
        end_clients()
        delete_install_path()
        forget_attribution()
        reset_dist()
        for road in self.roads:
            road.cleanup()
        for path in self.files:
            if path and os.path.exists(path):
                os.unlink(path)
        e2e.assert_no_web_cache_leftovers(self)

    def new_road(self, name, **road_settings):
        road = Road(name, **road_settings)
        self.roads.append(road)
        return road

    def open_road(self, road, telemetry=True):
        """Starts the installer with the road's environment; returns (run, window).
        telemetry=False: the road's telemetry cannot arrive yet (behind a proxy's login)."""
        run = e2e.Installer.start(self.PARAMS, env=road.env)
        self.runs.append(run)
        window = e2e.find_window()
        self.assertIsNotNone(window, "the installer window did not appear")
        # Painted (telemetry waits for the first paint) and ready for a press.
        if telemetry:
            self.assertTrue(e2e.wait_painted(), "no first paint")
        self.assertIsNotNone(wait_ready(), "the Install button is not ready")
        return run, window


def write_product_text(name, text):
    """Stores a REG_SZ value of the product key through regedit and a UTF-16 file, so that
    text past every code page arrives as it is."""
    path = os.path.join(e2e.build_dir(), "e2e-install", "set-%d.reg" % os.getpid())
    os.makedirs(os.path.dirname(path), exist_ok=True)
    escaped = text.replace("\\", "\\\\").replace('"', '\\"')
    body = 'Windows Registry Editor Version 5.00\r\n\r\n[%s]\r\n"%s"="%s"\r\n' % (
        e2e.PRODUCT_KEY.replace("HKCU", "HKEY_CURRENT_USER"), name, escaped)
    with open(path, "wb") as f:
        f.write(b"\xff\xfe" + body.encode("utf-16-le"))
    subprocess.run([e2e.WINE64, "regedit", "/S", e2e.wine_path(path)], env=e2e.wine_env(),
                   capture_output=True, timeout=60)
    os.unlink(path)


def read_product_text(name):
    """A REG_SZ value of the product key as its text (regedit's UTF-16 export); None when
    it is absent."""
    path = os.path.join(e2e.build_dir(), "e2e-install", "get-%d.reg" % os.getpid())
    os.makedirs(os.path.dirname(path), exist_ok=True)
    subprocess.run([e2e.WINE64, "regedit", "/E", e2e.wine_path(path),
                    e2e.PRODUCT_KEY.replace("HKCU", "HKEY_CURRENT_USER")],
                   env=e2e.wine_env(), capture_output=True, timeout=60)
    if not os.path.exists(path):
        return None
    with open(path, "rb") as f:
        text = f.read().decode("utf-16")
    os.unlink(path)
    m = re.search(r'^"%s"="((?:[^"\\]|\\.)*)"\r?$' % re.escape(name), text, re.M)
    if not m:
        return None
    return re.sub(r"\\(.)", r"\1", m.group(1))


class Scanner:
    """tools/package_scanner: opens the next fresh package without sharing for `hold_ms`
    as soon as the download has closed it, as a virus scanner does."""

    def __init__(self, road, hold_ms):
        self.record = os.path.join(road.records, "scanner.txt")
        self.process = subprocess.Popen(
            [e2e.WINE64, os.path.join(tools_dir(), "package_scanner.exe"), str(hold_ms),
             e2e.wine_path(self.record)],
            env=e2e.wine_env(), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        road.processes.append(self.process)

    def lines(self):
        return record_lines(self.record)

    def wait_watching(self, timeout=30):
        return e2e.wait_until(lambda: "watching" in self.lines(), timeout)
