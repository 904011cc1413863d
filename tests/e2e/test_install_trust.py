"""The setup package's signature, end to end: the real installer refuses a package that is
unsigned, changed after signing or signed by another publisher, runs none of them, leaves
nothing in the temporary folder and ends as an unexpected error; the visible retry is
verified again. The signed roads are those of test_install_success."""
import contextlib
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_lib as e2e  # noqa: E402
import install_lib as il  # noqa: E402
import flip_byte  # noqa: E402  (e2e_lib put the harness on the path)
import test_install_failures  # noqa: E402

PARAMS = ["--params", "utm=trust_roads&email=user%40example.com&auth=tok123"]
ENV_KEY = r"HKCU\Environment"


def signed32(code):
    """A WinTrust code as the telemetry value carries it (a signed 32-bit number)."""
    return code - (1 << 32) if code >= 1 << 31 else code


class InstallTrustTest(il.RoadTestCase):
    PARAMS = PARAMS
    assert_ready_again = test_install_failures.InstallFailureTest.assert_ready_again

    @contextlib.contextmanager
    def own_temp(self, road):
        """A temporary folder of the road's own, so that "nothing left" means nothing."""
        temp = os.path.join(road.dir, "temp")
        os.makedirs(temp)
        with e2e.registry_value(ENV_KEY, "TEMP", e2e.wine_path(temp)), \
                e2e.registry_value(ENV_KEY, "TMP", e2e.wine_path(temp)):
            yield temp

    def assert_refused(self, run, name, temp, code, checks=1):
        box = il.find_caption_window(60)
        self.assertIsNotNone(box, "no message box appeared")
        self.assertEqual(e2e.stat_events(),
                         [("first", 1), ("started", 1)]
                         + [("err_setup_untrusted", signed32(code))] * checks + [("error", 1)])
        journal = run.journal()
        self.assertIn(("E", "Setup package failed verification: 0x%08X." % code), journal)
        self.assertIn(("E", "Unknown error occuried."), journal)
        self.assertTrue(e2e.wait_until(lambda: os.listdir(temp) == [], 30), os.listdir(temp))
        il.shot(name + "-box")
        self.assertTrue(il.dismiss_box(box))
        self.assert_ready_again(run, name + "-after")

    def test_refused_packages(self):
        # A package whose bytes do not match its signature is fetched once more, and
        # refused when the second copy is no better.
        cases = [("unsigned.exe", 0x800B0100, 1),   # TRUST_E_NOSIGNATURE
                 ("tampered.exe", 0x80096010, 2),   # TRUST_E_BAD_DIGEST
                 ("other.exe", 0x800B0004, 1)]      # TRUST_E_SUBJECT_NOT_TRUSTED: not our publisher
        for name, code, checks in cases:
            with self.subTest(package=name):
                e2e.reset_stat()
                il.reset_dist()
                il.script_dist([{"body_file": il.package(name), "repeat": checks,
                                 "headers": [["Content-Type", "application/octet-stream"]]}])
                road_name = "refused-" + name[:-4]
                road = self.new_road(road_name)
                with self.own_temp(road) as temp:
                    run, window = self.open_road(road)
                    il.press_install(window)
                    self.assert_refused(run, road_name, temp, code, checks)
                    run.stop()
                self.assertEqual(len(il.dist_requests()), checks)
                self.assertEqual(road.setup_commands(), [], "a refused package ran")
                self.assertEqual(e2e.reg_query(e2e.PRODUCT_KEY, "InstallPath"), None)

    def test_damaged_package_is_fetched_once_more_and_installs(self):
        # The first copy arrives spoilt (its bytes no longer match the signature).
        il.script_dist([{"body_file": il.package("tampered.exe"),
                         "headers": [["Content-Type", "application/octet-stream"]]}])
        road = self.new_road("damaged-once")
        with self.own_temp(road) as temp:
            run, window = self.open_road(road)
            il.press_install(window)
            self.assertEqual(il.wait_for_exit(run, 90), e2e.EXIT_INSTALLED)
            self.assertEqual(len(il.dist_requests()), 2)
            self.assertEqual(len(road.setup_commands()), 1)
            self.assertEqual(e2e.stat_event_names(),
                             ["first", "started", "err_setup_untrusted", "found_valid_tok",
                              "setup_run"])
            self.assertTrue(il.ordered_subsequence(
                [("E", "Setup package failed verification: 0x80096010."),
                 ("W", "Setup package damaged, downloading it once more from byte 0."),
                 ("I", "Downloader completed succesfully."), ("I", "Runnning installer")],
                run.journal()), run.journal())
            self.assertTrue(e2e.wait_until(lambda: os.listdir(temp) == [], 30), os.listdir(temp))

    def test_visible_retry_is_verified_again(self):
        road = self.new_road("retry-changed", exit_codes="5,0", setup_delay_ms=4000)
        with self.own_temp(road) as temp:
            run, window = self.open_road(road)
            il.press_install(window)
            self.assertTrue(e2e.wait_until(lambda: road.setup_commands(), 60))
            # The first, silent attempt runs from a held file; the change comes from the
            # Unix side, which wine's share modes do not bind, and stands for one made
            # between the attempts, when nothing holds the package.
            flip_byte.flip(road.package_path())
            box = il.find_caption_window(60)
            self.assertIsNotNone(box)
            self.assertEqual(len(road.setup_commands()), 1, "the changed package ran")
            self.assertEqual(e2e.stat_events(),
                             [("first", 1), ("started", 1), ("error_exit_setup", 5),
                              ("err_setup_untrusted", signed32(0x80096010)), ("error", 1)])
            messages = e2e.journal_messages(run.log_path)
            self.assertTrue(il.ordered_subsequence(
                ["Runnning installer", "Runnning installer, second attempt",
                 "Setup package failed verification: 0x80096010.", "Unknown error occuried."],
                messages), messages)
            # The package and the first attempt's log went with the procedure.
            self.assertTrue(e2e.wait_until(lambda: os.listdir(temp) == [], 30), os.listdir(temp))
            self.assertTrue(il.dismiss_box(box))
            self.assert_ready_again(run, "retry-changed-after")
            run.stop()


if __name__ == "__main__":
    unittest.main(verbosity=2)
