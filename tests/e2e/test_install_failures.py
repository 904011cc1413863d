"""Installation roads that fail, end to end, and what the user sees of them: the error
dialog with its Journal button, the warning boxes, and a second installation after a
failure in the same window."""
import os
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_lib as e2e  # noqa: E402
import install_lib as il  # noqa: E402

PARAMS = ["--params", "utm=fail_roads&email=user%40example.com&auth=tok123"]
ENV_KEY = r"HKCU\Environment"


class InstallFailureTest(il.RoadTestCase):
    PARAMS = PARAMS

    def open(self, name, **road_settings):
        road = self.new_road(name, **road_settings)
        run, window = self.open_road(road)
        return run, road, window

    def wait_caption(self, timeout=60):
        box = il.find_caption_window(timeout)
        self.assertIsNotNone(box, "no message box or error dialog appeared")
        return box

    def assert_ready_again(self, run, name):
        """The window is back in its ready state: the Install button shows its blue."""
        self.assertTrue(run.running())
        self.assertIsNotNone(il.wait_ready(), "Install did not come back")
        window = e2e.find_window()
        x, y, _, _ = e2e.geometry(window)
        blue = e2e.hex_rgb("#0071FF")
        # Enabled before it is drawn: the screen is polled until it shows the button.
        self.assertTrue(e2e.wait_until(
            lambda: e2e.screenshot(name).fraction(x + 90, y + 431, 160, 6, blue) > 0.9, 20),
            "the Install button is not drawn in its blue")

    def test_setup_fails_twice_and_journal_keeps_the_log(self):
        run, road, window = self.open("journal", exit_codes="3,4")
        il.press_install(window)
        dialog = self.wait_caption()
        log = road.log_path_given()
        self.files.append(log)
        il.shot("setup-failed-dialog")
        self.assertTrue(os.path.exists(log))
        self.assertFalse(os.path.exists(road.package_path()))
        il.click_dialog_button(dialog, il.JOURNAL_BUTTON_UNITS)
        self.assertTrue(e2e.wait_until(lambda: dialog not in e2e.find_windows(il.CAPTION), 30))
        self.assert_ready_again(run, "setup-failed-after-journal")
        # Under wine no program is registered for .log files: the shell call fails
        # quietly, and the log stays for the user (the window is back, so it is decided).
        self.assertTrue(os.path.exists(log))
        with open(log, encoding="utf-8") as f:
            self.assertIn("exit code 4", f.read())
        self.assertEqual(e2e.stat_events(),
                         [("first", 1), ("started", 1), ("error_exit_setup", 3),
                          ("error_exit_setup", 4), ("failed_on_second_try", 1), ("error", 1)])
        self.assertIn(("E", "Offline Cumulo Installer failed."), run.journal())

    def test_failed_setup_then_ok_deletes_the_log_and_a_second_run_succeeds(self):
        run, road, window = self.open("again", exit_codes="3,4,0")
        il.press_install(window)
        dialog = self.wait_caption()
        log = road.log_path_given()
        self.assertTrue(os.path.exists(log))
        il.click_dialog_button(dialog, il.OK_BUTTON_UNITS)
        self.assertTrue(e2e.wait_until(lambda: not os.path.exists(log), 30), "log kept")
        self.assert_ready_again(run, "setup-failed-after-ok")

        il.press_install(window)
        self.assertEqual(il.wait_for_exit(run, 60), e2e.EXIT_INSTALLED, "the second installation did not end")
        self.assertEqual(e2e.stat_event_names(),
                         ["first", "started", "error_exit_setup", "error_exit_setup",
                          "failed_on_second_try", "error", "found_valid_tok", "setup_run"])
        self.assertEqual(len(road.setup_commands()), 3)
        messages = e2e.journal_messages(run.log_path)
        self.assertEqual(messages.count("User started install procedure."), 2)

    def test_window_closed_during_a_failing_setup_leaves_no_log(self):
        run, road, window = self.open("closed", exit_codes="3,4", setup_delay_ms=3000)
        il.press_install(window)
        self.assertTrue(e2e.wait_until(lambda: road.setup_commands(), 60), "no setup started")
        log = road.log_path_given()
        self.files.append(log)
        e2e.click(window, 1048, 32)  # the close button, while the setup runs
        self.assertTrue(e2e.wait_until(lambda: not e2e.find_windows(), 30), "window stayed")
        # The process ends after its worker, which finds no window to offer the log to.
        self.assertEqual(il.wait_for_exit(run, 60), e2e.EXIT_CLOSED)
        self.assertEqual(len(road.setup_commands()), 2)
        self.assertFalse(os.path.exists(log), "the setup log was left behind")
        self.assertFalse(os.path.exists(road.package_path()))
        self.assertEqual(e2e.stat_events(),
                         [("first", 1), ("started", 1), ("error_exit_setup", 3),
                          ("error_exit_setup", 4), ("failed_on_second_try", 1)])
        self.assertEqual([m for level, m in run.journal() if level == "E"], [])

    def test_client_ignoring_close_keeps_the_installation_from_starting(self):
        road = self.new_road("stubborn")
        road.start_client("ignore_close")
        run, window = self.open_road(road)
        pressed = time.monotonic()
        il.press_install(window)
        box = self.wait_caption()
        waited = time.monotonic() - pressed
        self.assertGreater(waited, 4.5)
        self.assertLess(waited, 20)
        il.shot("client-still-running-box")
        self.assertEqual(len(road.lines("client_events.txt")), 10)
        self.assertEqual(road.setup_commands(), [])
        self.assertEqual(e2e.stat_events(),
                         [("first", 1), ("started", 1), ("error_cumulo_close_running", 1),
                          ("error", 1)])
        journal = run.journal()
        self.assertIn(("E", "Failer close running Cumulo application."), journal)
        self.assertIn(("E", "Cumulo application is already running."), journal)
        self.assertTrue(il.dismiss_box(box))
        self.assert_ready_again(run, "client-still-running-after")

    def test_download_answered_404_is_an_unexpected_error(self):
        il.script_dist([{"status": 404, "body": "gone", "repeat": 50}])
        run, road, window = self.open("notfound")
        il.press_install(window)
        box = self.wait_caption(120)
        il.shot("download-404-box")
        names = e2e.stat_event_names()
        self.assertEqual(names[:2], ["first", "started"])
        self.assertEqual(names[-2:], ["error_cumulo_download", "error"])
        self.assertIn(("E", "Unknown error occuried."), run.journal())
        self.assertNotIn("error_del_temp", names)  # no package arrived, none to delete
        self.assertEqual(road.setup_commands(), [])
        self.assertTrue(il.dismiss_box(box))
        self.assert_ready_again(run, "download-404-after")

    def test_full_temporary_disk_asks_for_space(self):
        small = os.path.join(e2e.build_dir(), "e2e-install", "small-temp")
        os.makedirs(small, exist_ok=True)
        mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=1m", "tmpfs", small],
                                 capture_output=True).returncode == 0
        if not mounted:
            # As root the mount works: the session marks the small disk wanted there.
            wanted = os.path.join(e2e.build_dir(), "test-session", "smalldisk.wanted")
            self.assertFalse(os.path.exists(wanted), "running as root, but no small tmpfs")
            self.skipTest("cannot mount a small tmpfs here")
        try:
            with e2e.registry_value(ENV_KEY, "TEMP", e2e.wine_path(small)), \
                    e2e.registry_value(ENV_KEY, "TMP", e2e.wine_path(small)):
                run, road, window = self.open("diskfull")
                il.press_install(window)
                box = self.wait_caption(120)
                il.shot("disk-full-box")
                self.assertEqual(e2e.stat_event_names(),
                                 ["first", "started", "err_setup_no_space",
                                  "error_cumulo_download", "error"])
                self.assertIn(("E", "Not enough disk space."), run.journal())
                self.assertTrue(il.dismiss_box(box))
                self.assert_ready_again(run, "disk-full-after")
                run.stop()
                # The partial package went with the procedure.
                self.assertEqual([f for f in os.listdir(small) if f.startswith("Cumulo-")], [])
        finally:
            subprocess.run(["umount", small], capture_output=True)


if __name__ == "__main__":
    unittest.main(verbosity=2)
