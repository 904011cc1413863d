"""Roads of users who come back and of their own words and machines, end to end: a user
with a stored attribution tag still gets the sign-in hand-off, a tag in UTF-8 is stored and
sent as its text, and a virus scanner that opens the fresh package for a moment does not
fail the installation."""
import os
import sys
import unittest
from urllib.parse import parse_qs

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_lib as e2e  # noqa: E402
import install_lib as il  # noqa: E402

SPRING = "\u0432\u0435\u0441\u043d\u0430"  # "весна"
SPRING_ENCODED = "%D0%B2%D0%B5%D1%81%D0%BD%D0%B0"
EMAIL, TOKEN = "user@example.com", "tok+123="
HANDOFF = "email=user%40example.com&auth=tok%2B123%3D"
WAITING = "Setup package is in use by another program, waiting: 32."


class ReturningUserTest(il.RoadTestCase):
    def install(self, name, params, russian=False, before_install=None, **road_settings):
        road = self.new_road(name, **road_settings)
        run = e2e.Installer.start(["--params", params], env=road.env, russian=russian)
        self.runs.append(run)
        window = e2e.find_window()
        self.assertIsNotNone(window, "the installer window did not appear")
        if before_install:
            before_install(road)
        il.shot(name + "-ready")
        il.press_install(window)
        return run, road

    def assert_handoff(self, road):
        client = e2e.wine_path(road.install_dir) + "\\Cumulo.exe"
        self.assertEqual(road.client_argv(), [client, "-auth_email", EMAIL, "-auth_token", TOKEN])
        # The client starts in its own folder, not in the installer's.
        self.assertEqual(road.lines("client_cwd.txt"), [e2e.wine_path(road.install_dir)])

    def assert_utm_sent(self, requests, tag):
        self.assertTrue(requests)
        for r in requests:
            self.assertIn("utm=" + SPRING_ENCODED, r["query"])
            self.assertEqual(parse_qs(r["query"])["utm"], [tag], r["query"])

    def test_returning_user_with_a_stored_cyrillic_tag_gets_the_handoff(self):
        il.write_product_text("utm", SPRING)
        self.assertEqual(il.read_product_text("utm"), SPRING)
        run, road = self.install(
            "returning", "utm=summer_2027&%s&intro=second_page&gclid=g2" % HANDOFF)
        self.assertEqual(il.wait_for_exit(run, 60), e2e.EXIT_INSTALLED, "the window did not close")
        self.assert_handoff(road)
        requests = e2e.stat_requests()
        self.assertEqual(e2e.stat_events(requests),
                         [("first", 1), ("started", 1), ("found_valid_tok", 1), ("setup_run", 1)])
        # The first touch keeps the attribution; the rest of this container is not stored.
        self.assert_utm_sent(requests, SPRING)
        self.assertEqual(il.read_product_text("utm"), SPRING)
        self.assertIsNone(il.read_product_text("installer_intro"))
        self.assertIsNone(il.read_product_text("gclid_cookie"))
        il.shot("returning-installed")

    def test_utf8_tag_is_stored_and_sent_as_its_text_on_a_russian_system(self):
        run, road = self.install("utf8tag", "utm=%s&%s&intro=%s" % (SPRING_ENCODED, HANDOFF,
                                                                     SPRING_ENCODED),
                                 russian=True)
        self.assertEqual(il.wait_for_exit(run, 60), e2e.EXIT_INSTALLED, "the window did not close")
        self.assertEqual(il.read_product_text("utm"), SPRING)
        self.assertEqual(il.read_product_text("installer_intro"), SPRING)
        self.assert_utm_sent(e2e.stat_requests(), SPRING)
        self.assert_handoff(road)

    def install_with_scanner(self, name, hold_ms, outcome):
        """Installs with a stand-in scanner that holds the fresh package for hold_ms.
        The scanner and the installer race for the package the moment the download closes
        it, as on a user's machine, and on a busy machine the installer can win: outcome(run)
        gives None for such a run, which is tried again (three times at most; a product that
        does not wait fails every try), else what the test goes on with.
        Returns (run, road, scanner, outcome)."""
        for _ in range(3):
            scanners = []

            def start_scanner(road):
                scanner = il.Scanner(road, hold_ms)
                self.assertTrue(scanner.wait_watching(), "the scanner did not start")
                scanners.append(scanner)

            e2e.reset_stat()
            run, road = self.install(name, "utm=scan&" + HANDOFF, before_install=start_scanner)
            result = outcome(run)
            if result is not None:
                return run, road, scanners[0], result
            scanners[0].process.kill()
            scanners[0].process.wait(timeout=30)
        self.fail("the scanner never had the package first")

    def test_a_scanner_opening_the_package_briefly_is_waited_out(self):
        def installed(run):
            self.assertEqual(il.wait_for_exit(run, 90), e2e.EXIT_INSTALLED,
                             "the window did not close")
            journal = run.journal()
            installer_won = (("W", WAITING) not in journal and
                             any(m.startswith("Failed delete file") for _, m in journal))
            return None if installer_won else True

        run, road, scanner, _ = self.install_with_scanner("scanner", 3000, installed)
        scanned = scanner.lines()
        self.assertEqual(len(scanned), 3, scanned)
        self.assertTrue(scanned[1].startswith("held Cumulo-"), scanned)
        self.assertEqual(scanned[2], "released " + scanned[1][5:])
        self.assertIn(("W", WAITING), run.journal())
        self.assertEqual(e2e.stat_event_names(),
                         ["first", "started", "found_valid_tok", "setup_run"])
        self.assertEqual(len(road.setup_parameters()), 1)
        self.assert_handoff(road)

    def test_a_lock_longer_than_the_wait_takes_the_failure_road(self):
        def error_dialog(run):
            found = e2e.wait_until(
                lambda: il.find_caption_window(0.1) or (not run.running() and "exited"), 90)
            self.assertIsNotNone(found, "no error dialog appeared")
            if found != "exited":
                return found
            self.assertEqual(run.wait(), e2e.EXIT_INSTALLED)
            self.assertNotIn(("W", WAITING), run.journal())
            return None

        run, road, _, dialog = self.install_with_scanner("longlock", 40000, error_dialog)
        il.shot("longlock-error-dialog")
        names = lambda: e2e.stat_event_names()  # noqa: E731
        self.assertTrue(e2e.wait_until(lambda: {"error", "error_del_temp"} <= set(names()), 30))
        events = e2e.stat_events()
        # The scanner still has the package when the worker cleans up (the window's "error"
        # and that may come in either order): it cannot be deleted either.
        self.assertIn(("error_del_temp", 32), events)
        self.assertEqual([e for e in events if e[0] != "error_del_temp"],
                         [("first", 1), ("started", 1), ("error_setup_start", 32),
                          ("error_setup_start", 32), ("failed_on_second_try", 1), ("error", 1)])
        self.assertIn(("W", WAITING), run.journal())
        self.assertEqual(road.setup_commands(), [])
        il.click_dialog_button(dialog, il.OK_BUTTON_UNITS)
        self.assertTrue(e2e.wait_until(lambda: dialog not in e2e.find_windows(il.CAPTION), 30))


if __name__ == "__main__":
    unittest.main(verbosity=2)
