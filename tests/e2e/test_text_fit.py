"""Every text of the installer window is whole, whatever font the system gives for
"Segoe UI": the test prefix's substitute (DejaVu Sans Condensed) and wine's own fallback
without one, English and Russian, at 96 and 192 dpi (with Windows 7's unscaled fonts and
Windows 8's scaled ones). Each text is measured with the font the window draws it with
(tools/window_probe) against its box, the boxes follow each other down the column, and
the screenshot shows the whole link."""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_lib as e2e  # noqa: E402
import install_lib as il  # noqa: E402

PARAMS = ["--params", "email=user%40example.com&auth=token123"]
SUBSTITUTES = r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes"
TITLE, SUBTITLE, INSTALL, CLOSE, PERCENT, AGREEMENT, LINK = 1001, 1002, 1003, 1004, 1006, 1007, 1008
# The designed boxes at scale 1: x, y, width, height.
DESIGN = {TITLE: (80, 197, 488, 100), SUBTITLE: (80, 305, 400, 52), INSTALL: (80, 429, 184, 48),
          PERCENT: (226, 468, 40, 20), AGREEMENT: (80, 604, 408, 52), LINK: (80, 623, 168, 20)}
LINK_LINE = 17  # the link's line height at font scale 1


def bluish(rgb):
    r, g, b = rgb
    return b > 180 and b - r > 90


class TextFitTest(e2e.InstallerTestCase):
    def check_window(self, name, russian, s, font_scale):
        e2e.park_pointer()  # away from where the last window's close button was
        e2e.reset_stat()  # so that this window's first paint is the one waited for
        run = e2e.Installer.start(PARAMS, russian=russian)
        self.runs.append(run)
        try:
            self.check_texts(run, name, s, font_scale)
        finally:
            run.stop()  # a failed look leaves no window for the next one

    def check_texts(self, run, name, s, font_scale):
        window = e2e.find_window()
        self.assertIsNotNone(window, "the installer window did not appear")
        self.assertTrue(e2e.wait_painted(), "%s: no first paint" % name)
        probed = il.wait_ready()
        self.assertIsNotNone(probed, "%s: the Install button is not ready" % name)
        shot = e2e.settled_screenshot(name, e2e.geometry(window))
        self.assertIsNotNone(shot, "%s: the window kept changing" % name)
        c = probed.controls
        width, height = probed.size
        for id_ in (TITLE, SUBTITLE, INSTALL, PERCENT, AGREEMENT, LINK):
            box = c[id_]
            need = box["need"]
            self.assertLessEqual(need[0], box["w"], "%s: text of %d wider than its box" % (name, id_))
            self.assertLessEqual(need[1], box["h"], "%s: text of %d taller than its box" % (name, id_))
            dx, dy, dw, dh = DESIGN[id_]
            self.assertEqual(box["x"], dx * s)
            self.assertGreaterEqual(box["y"], dy * s)
            self.assertGreaterEqual(box["w"], dw * s)
            self.assertGreaterEqual(box["h"], dh * s)
            self.assertLessEqual(box["x"] + box["w"], width)
            self.assertLessEqual(box["y"] + box["h"], height)

        def bottom(id_):
            return c[id_]["y"] + c[id_]["h"]
        self.assertLessEqual(bottom(TITLE), c[SUBTITLE]["y"])
        self.assertLessEqual(bottom(SUBTITLE), c[INSTALL]["y"])
        self.assertLessEqual(bottom(INSTALL), c[AGREEMENT]["y"])
        # The link is the agreement's next line, never over its text.
        self.assertGreaterEqual(c[LINK]["y"], c[AGREEMENT]["y"] + c[AGREEMENT]["need"][1])

        # The screenshot shows the link to its last line and its right end.
        gx, gy, _, _ = e2e.geometry(window)
        link = c[LINK]
        blue = [(x, y) for y in range(link["y"], link["y"] + link["h"])
                for x in range(link["x"], link["x"] + link["w"])
                if bluish(shot.pixel(gx + x, gy + y))]
        self.assertTrue(blue, "%s: no link on the screen" % name)
        need_w, need_h = link["need"]
        self.assertGreaterEqual(max(x for x, _ in blue), link["x"] + need_w - 4 * font_scale, name)
        self.assertGreaterEqual(max(y for _, y in blue),
                                link["y"] + need_h - LINK_LINE * font_scale, name)

        e2e.click(window, 1048 * s, 32 * s)
        self.assertEqual(run.wait(30), e2e.EXIT_CLOSED)

    def run_matrix(self, font):
        for russian in (False, True):
            for dpi, version in ((96, None), (192, None), (192, "win10")):
                s = dpi // 96
                font_scale = s if version else 1
                name = "fit-%s-%s-%d-%s" % (font, "ru" if russian else "en", dpi, version or "win7")
                with self.subTest(name), e2e.prefix_settings(dpi=dpi, windows_version=version):
                    self.check_window(name, russian, s, font_scale)

    def test_texts_fit_with_the_substitute_font(self):
        self.run_matrix("substitute")

    def test_texts_fit_with_wines_default_fallback(self):
        with e2e.registry_value(SUBSTITUTES, "Segoe UI", None):
            self.run_matrix("fallback")


if __name__ == "__main__":
    unittest.main(verbosity=2)
