"""Installation behind a proxy that asks for a login (tinyproxy with BasicAuth, tunnelling
the TLS of the distribution server and the statistics endpoint): the download shows the
system's proxy prompt once, typed into like a user would; Cancel takes the road of a
failed download; telemetry never prompts and waits, in order, for the typed login."""
import contextlib
import os
import re
import socket
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_lib as e2e  # noqa: E402
import install_lib as il  # noqa: E402

PARAMS = ["--params", "utm=proxy_road&email=user%40example.com&auth=tok%2B123%3D"]
PROMPT_TITLE = "Enter Network Password"  # WinInet's own proxy dialog
USER, PASSWORD = "cumulo", "s3cret-Pw"
SETTINGS_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings"


def port_of(host):
    return int(host.rsplit(":", 1)[1])


@contextlib.contextmanager
def tinyproxy():
    """tinyproxy on CUMULO_PROXY_HOST's port, asking for USER and PASSWORD; yields its log path."""
    folder = os.path.join(e2e.build_dir(), "e2e-proxy")
    os.makedirs(folder, exist_ok=True)
    log = os.path.join(folder, "tinyproxy.log")
    if os.path.exists(log):
        os.unlink(log)
    port = port_of(os.environ["CUMULO_PROXY_HOST"])
    conf = os.path.join(folder, "tinyproxy.conf")
    with open(conf, "w") as f:
        f.write("Port %d\nListen 127.0.0.1\nAllow 127.0.0.1\nTimeout 60\nMaxClients 50\n" % port)
        for host in (os.environ["CUMULO_DIST_HOST"], os.environ["CUMULO_STAT_HOST"]):
            f.write("ConnectPort %d\n" % port_of(host))
        f.write('BasicAuth %s %s\nLogFile "%s"\nLogLevel Connect\n' % (USER, PASSWORD, log))
    proxy = subprocess.Popen(["tinyproxy", "-d", "-c", conf], stdin=subprocess.DEVNULL,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        assert e2e.wait_until(lambda: connectable(port), 30), "tinyproxy did not start"
        yield log
    finally:
        proxy.terminate()
        proxy.wait(10)


def connectable(port):
    with socket.socket() as s:
        return s.connect_ex(("127.0.0.1", port)) == 0


def transient_for(window):
    """The X window that wine made `window` transient for: its Win32 owner's."""
    r = subprocess.run(["xprop", "-id", str(window), "WM_TRANSIENT_FOR"], capture_output=True,
                       text=True, timeout=30)
    found = re.search(r"window id # (0x[0-9a-f]+)", r.stdout)
    return int(found.group(1), 16) if found else None


def tunnels(log):
    """The CONNECT targets tinyproxy let through."""
    with open(log, errors="replace") as f:
        return [line.split("CONNECT ", 2)[-1].split()[0] for line in f
                if "Request" in line and "CONNECT " in line]


class ProxyLoginTest(il.RoadTestCase):
    PARAMS = PARAMS

    def setUp(self):
        super().setUp()
        stack = contextlib.ExitStack()
        self.addCleanup(stack.close)
        self.proxy_log = stack.enter_context(tinyproxy())
        # The prefix's system proxy, as a user's company would set it.
        stack.enter_context(e2e.registry_value(SETTINGS_KEY, "ProxyServer",
                                               "127.0.0.1:%d" % port_of(os.environ["CUMULO_PROXY_HOST"])))
        stack.enter_context(e2e.registry_value(SETTINGS_KEY, "ProxyEnable", 1, "REG_DWORD"))

    def wait_prompt(self, timeout=60):
        prompt = e2e.find_window(PROMPT_TITLE, timeout)
        self.assertIsNotNone(prompt, "the proxy's login prompt did not appear")
        return prompt

    def watch_prompts(self, run, first, until):
        """Waits for `until` (or the end of the run), noting any prompt but the first."""
        others = set()

        def done():
            others.update(w for w in e2e.find_windows(PROMPT_TITLE) if w != first)
            return until() or not run.running()
        e2e.wait_until(done, 120, interval=0.5)
        return others

    def test_typed_login_carries_download_and_waiting_telemetry(self):
        road = self.new_road("proxy-login")
        run, window = self.open_road(road, telemetry=False)
        il.press_install(window)
        prompt = self.wait_prompt()
        il.shot("proxy-prompt")
        self.assertEqual(transient_for(prompt), window, "the prompt is not the window's own")
        # Nothing reached the statistics endpoint yet: its events wait for the login.
        self.assertEqual(e2e.stat_requests(), [])
        e2e.focus(prompt)
        e2e.xdotool("type", "--delay", "60", USER)
        e2e.key("Tab")
        e2e.xdotool("type", "--delay", "60", PASSWORD)
        il.shot("proxy-prompt-typed")
        e2e.key("Return")
        others = self.watch_prompts(run, prompt, lambda: False)
        self.assertEqual(il.wait_for_exit(run, 60), e2e.EXIT_INSTALLED, "the installation did not finish")
        self.assertEqual(others, set(), "the login was asked for more than once")

        # Every event arrived, in the order sent, and through the proxy's tunnels.
        self.assertEqual(e2e.stat_events(),
                         [("first", 1), ("started", 1), ("found_valid_tok", 1), ("setup_run", 1)])
        through = tunnels(self.proxy_log)
        self.assertIn(os.environ["CUMULO_DIST_HOST"], through)
        self.assertIn(os.environ["CUMULO_STAT_HOST"], through)
        self.assertEqual([r["path"] for r in il.dist_requests()], [il.PACKAGE_PATH])
        messages = [m for _, m in run.journal()]
        self.assertFalse([m for m in messages if m.startswith("Downloader network error")])

    def test_cancelled_prompt_fails_the_download_and_telemetry_never_prompts(self):
        road = self.new_road("proxy-cancel")
        run, window = self.open_road(road, telemetry=False)
        il.press_install(window)
        prompt = self.wait_prompt()
        il.shot("proxy-prompt-cancel")
        e2e.focus(prompt)
        e2e.key("Escape")
        self.assertTrue(e2e.wait_until(lambda: prompt not in e2e.find_windows(PROMPT_TITLE), 30),
                        "Escape did not close the prompt")
        others = self.watch_prompts(run, prompt, lambda: il.find_caption_window(0.1) is not None)
        box = il.find_caption_window(60)
        self.assertIsNotNone(box, "no failure box after the cancelled prompt")
        il.shot("proxy-cancelled-box")
        self.assertEqual(others, set(), "the login was asked for again")
        journal = run.journal()
        self.assertIn(("E", "Downloader network error: 1223"), journal)
        self.assertIn(("E", "Unknown error occuried."), journal)
        # Without a login nothing passes the proxy: no event, and no prompt of its own.
        self.assertEqual(e2e.stat_requests(), [])
        self.assertEqual(il.dist_requests(), [])
        self.assertTrue(il.dismiss_box(box))
        self.assertEqual(e2e.find_windows(PROMPT_TITLE), [])


if __name__ == "__main__":
    unittest.main(verbosity=2)
