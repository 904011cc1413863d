"""The installer window end to end: start, look, languages, scale, frame, closing,
the single-instance lock, the version notice and a stored utm."""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_lib as e2e  # noqa: E402

BLUE = e2e.hex_rgb("#0071FF")
PARAMS = ["--params", "email=user%40example.com&auth=token123"]


class WindowTest(e2e.InstallerTestCase):
    def start(self, args=PARAMS, **kw):
        run = e2e.Installer.start(args, **kw)
        self.runs.append(run)
        return run

    def open_window(self, **kw):
        run = self.start(**kw)
        window = e2e.find_window()
        self.assertIsNotNone(window, "the installer window did not appear")
        e2e.park_pointer()
        self.assertTrue(e2e.wait_painted(), "no first paint")
        return run, window

    def settled_shot(self, name, window):
        shot = e2e.settled_screenshot(name, e2e.geometry(window))
        self.assertIsNotNone(shot, "%s: the window kept changing" % name)
        return shot

    def close_by_button(self, run, window, scale):
        e2e.click(window, 1048 * scale, 32 * scale)
        self.assertEqual(run.wait(30), e2e.EXIT_CLOSED)

    def check_install_fill(self, shot, origin, s):
        x, y = origin[0] + 80 * s, origin[1] + 429 * s
        w, h = 184 * s, 48 * s
        # Bands above and below the caption, inside the rounded corners.
        self.assertGreater(shot.fraction(x + 8 * s, y + 2 * s, w - 16 * s, 6 * s, BLUE), 0.99)
        self.assertGreater(shot.fraction(x + 8 * s, y + h - 8 * s, w - 16 * s, 6 * s, BLUE), 0.99)
        self.assertGreater(shot.fraction(x + 2 * s, y + 8 * s, 8 * s, h - 16 * s, BLUE), 0.99)
        self.assertGreater(shot.fraction(x + w - 10 * s, y + 8 * s, 8 * s, h - 16 * s, BLUE), 0.99)
        self.assertGreater(shot.fraction(x, y, w, h, BLUE), 0.75)
        # Nothing blue just outside it.
        self.assertNotEqual(shot.pixel(x - 3 * s, y + h // 2), BLUE)
        self.assertNotEqual(shot.pixel(x + w + 3 * s, y + h // 2), BLUE)
        self.assertNotEqual(shot.pixel(x + w // 2, y + h + 3 * s), BLUE)

    def edge_pixels(self, shot, g):
        x, y, w, h = g
        return [shot.pixel(x, y + h // 2), shot.pixel(x + w - 1, y + h // 2),
                shot.pixel(x + w // 2, y), shot.pixel(x + w // 2, y + h - 1)]

    def test_window_in_both_languages_scales_and_frames(self):
        logos = {}
        for russian in (False, True):
            for dpi in (96, 192):
                for version in (None, "win10"):
                    name = "window-%s-%d-%s" % ("ru" if russian else "en", dpi, version or "win7")
                    with self.subTest(name), e2e.prefix_settings(dpi=dpi, windows_version=version):
                        e2e.reset_stat()
                        s = dpi // 96
                        run, window = self.open_window(russian=russian)
                        g = e2e.geometry(window)
                        self.assertEqual(g[2:], (1080 * s, 680 * s))
                        shot = self.settled_shot(name, window)
                        self.check_install_fill(shot, g, s)
                        edges = self.edge_pixels(shot, g)
                        if version is None:
                            self.assertEqual(edges, [BLUE] * 4, "Windows 7 draws the blue border")
                        else:
                            self.assertNotIn(BLUE, edges, "no border on Windows 8 and later")
                        lx, ly = g[0] + 80 * s, g[1] + 97 * s
                        logos[(russian, s)] = bytes(
                            b for yy in range(ly, ly + 68 * s) for b in
                            shot.data[(yy * shot.width + lx) * 3:(yy * shot.width + lx + 136 * s) * 3])
                        self.close_by_button(run, window, s)
                        self.assertEqual(e2e.stat_event_names(), ["first", "closed"])
                        lines = run.journal()
                        self.assertEqual(lines[0], ("I", "Starting GUI Installer..."))
                        self.assertEqual(lines[-1], ("I", "GUI Installer Finished."))
                        self.assertEqual(("I", "Using Russian UI language.") in lines, russian)
        for s in (1, 2):
            if (False, s) in logos and (True, s) in logos:
                self.assertNotEqual(logos[(False, s)], logos[(True, s)],
                                    "the wordmark follows the language")

    def test_second_instance_exits_at_once(self):
        first, window = self.open_window()
        second = self.start()
        self.assertEqual(second.wait(30), e2e.EXIT_ALREADY_RUNNING)
        self.assertEqual(second.journal(), [("E", "Failed to acquire GUI installation lock.")])
        self.assertTrue(first.running())
        self.close_by_button(first, window, 1)
        self.assertEqual(e2e.stat_event_names(), ["first", "closed"])

    def test_old_windows_gets_the_version_notice_and_ends(self):
        with e2e.prefix_settings(windows_version="winxp"):
            run, window = self.open_window()
            box = e2e.find_window("Cumulo:", timeout=15)
            self.assertIsNotNone(box, "the version notice did not appear")
            self.settled_shot("notice-winxp", box)
            for _ in range(5):
                if box not in e2e.find_windows("Cumulo:"):
                    break
                # A click on the box gives it the keyboard; Enter then presses OK.
                e2e.click(box, 8, 8)
                e2e.key("Return")
                e2e.wait_until(lambda: box not in e2e.find_windows("Cumulo:"), 20)
            self.assertEqual(run.wait(30), e2e.EXIT_SYSTEM_REFUSED)
        self.assertEqual(e2e.stat_event_names(), ["first", "need_win_7"])
        self.assertIn(("E", "Windows 7 is a minimal version supported."), run.journal())

    def test_stored_utm_wins_over_params(self):
        with e2e.registry_value(e2e.PRODUCT_KEY, "utm", "storedtag"), \
                e2e.registry_value(e2e.PRODUCT_KEY, "installer_intro", None):
            run, window = self.open_window(
                args=["--params", "utm=paramtag&email=a%40b.c&auth=t&intro=fromparams"])
            self.close_by_button(run, window, 1)
            requests = e2e.stat_requests()
            self.assertEqual(e2e.stat_event_names(requests), ["first", "closed"])
            for r in requests:
                self.assertIn("utm=storedtag", r["query"])
                self.assertNotIn("paramtag", r["query"])
            self.assertIsNone(e2e.reg_query(e2e.PRODUCT_KEY, "installer_intro"))
            self.assertEqual(e2e.reg_query(e2e.PRODUCT_KEY, "utm"), "storedtag")


if __name__ == "__main__":
    unittest.main(verbosity=2)
