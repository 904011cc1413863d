"""The installer with the keyboard alone, end to end: what a screen reader finds (the
controls' window texts), the tab stops and the focus, Enter and Space on the focused
control, Escape as the close button, and the error dialog's keys."""
import os
import re
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_lib as e2e  # noqa: E402
import install_lib as il  # noqa: E402

PARAMS = ["--params", "utm=keys&email=user%40example.com&auth=tok123"]
INSTALL, CLOSE, LINK = 1003, 1004, 1008
JOURNAL, OK = 1, 2  # the error dialog's buttons
TERMS_EN = "https://%s/legal/cumulo_termsofuse" % os.environ.get("CUMULO_TERMS_HOST", "")


class KeyboardTest(il.RoadTestCase):
    PARAMS = PARAMS

    def open_road(self, road):
        run, window = super().open_road(road)
        e2e.focus(window)
        return run, window

    def probe(self, title=e2e.WINDOW_TITLE):
        found = e2e.wait_until(lambda: e2e.probe(title), 30)
        self.assertIsNotNone(found, "no window %r to probe" % title)
        return found

    def press(self, name):
        # xdotool hands the key to the X server, which gives wine input in order: a later
        # key or probe comes after it, and every check below waits for the key's effect.
        e2e.key(name)

    def wait_focus(self, expected, title=e2e.WINDOW_TITLE):
        """The id of the focused control once it is `expected`, else the last one seen."""
        seen = []

        def focused():
            seen.append(self.probe(title).focus)
            return seen[-1] == expected
        e2e.wait_until(focused, 20)
        return seen[-1]

    def assert_no_second_install(self, run):
        """Enter during an installation presses nothing: no second start, no second download,
        watched for long enough that a wrongly pressed Install would show (a window here
        takes about 2 s to react)."""
        second = e2e.wait_until(lambda: (
            e2e.journal_messages(run.log_path).count("User started install procedure.") > 1
            or len(il.dist_requests()) > 1 or not run.running()), 8)
        self.assertTrue(run.running(), "the window went after Enter during the installation")
        self.assertFalse(second, "Enter pressed something while the installation ran")

    def assert_window_stays(self, run, why):
        """Nothing closes the window, watched as long as assert_no_second_install watches:
        a close here takes about 2 s from the key to the window gone."""
        went = e2e.wait_until(lambda: not run.running() or "closed" in e2e.stat_event_names(), 8)
        self.assertFalse(went, why)

    def assert_captions(self, probed, install, close, link):
        c = probed.controls
        self.assertEqual((c[INSTALL]["text"], c[CLOSE]["text"], c[LINK]["text"]),
                         (install, close, link))
        stops = sorted(i for i, v in c.items() if v["tabstop"] and v["visible"])
        self.assertEqual(stops, [INSTALL, CLOSE, LINK])

    def assert_closed_by_the_user(self, run):
        self.assertEqual(il.wait_for_exit(run, 30), e2e.EXIT_CLOSED)
        self.assertEqual(e2e.stat_events(), [("first", 1), ("closed", 1)])
        lines = run.journal()
        self.assertEqual(lines[0], ("I", "Starting GUI Installer..."))
        self.assertEqual(lines[-1], ("I", "GUI Installer Finished."))

    def test_enter_on_install_installs_and_enter_while_it_runs_changes_nothing(self):
        package = il.package()
        # The package comes three seconds late: time to press Enter during the download.
        il.script_dist([{"delay": 3, "body_file": package,
                         "headers": [["Content-Type", "application/octet-stream"]]}])
        road = self.new_road("keys-install")
        # The setup runs until the test lets it end: the window is surely there for the presses.
        stop = os.path.join(road.dir, "stop-setup")
        road.env["CUMULO_SETUP_STOP_FILE"] = e2e.wine_path(stop)
        run, _ = self.open_road(road)
        self.assertEqual(self.wait_focus(INSTALL), INSTALL, "the keyboard starts on Install")
        self.assert_captions(self.probe(), "Install", "Close", "terms and conditions")
        il.shot("keys-ready")
        self.press("Return")
        self.assertTrue(e2e.wait_until(
            lambda: "Starting installation procedure..." in e2e.journal_messages(run.log_path), 10))
        self.assertTrue(e2e.wait_until(
            lambda: not self.probe().controls[INSTALL]["visible"], 20), "Install still shown")
        il.shot("keys-downloading")
        for _ in range(3):
            self.press("Return")
        self.assert_no_second_install(run)
        self.assertTrue(e2e.wait_until(road.setup_commands, 60), "no setup started")
        self.press("Return")  # and once while the setup runs
        self.assert_no_second_install(run)
        self.assertTrue(run.running(), "the window went before the presses")
        self.assertFalse(self.probe().controls[INSTALL]["visible"])
        with open(stop, "w"):
            pass
        self.assertEqual(il.wait_for_exit(run, 60), e2e.EXIT_INSTALLED, "the window did not close")
        self.assertEqual(e2e.stat_events(),
                         [("first", 1), ("started", 1), ("found_valid_tok", 1), ("setup_run", 1)])
        self.assertEqual(e2e.journal_messages(run.log_path).count("User started install procedure."), 1)
        self.assertEqual([r["path"] for r in il.dist_requests()], [il.PACKAGE_PATH])
        self.assertEqual(road.client_argv()[-4:],
                         ["-auth_email", "user@example.com", "-auth_token", "tok123"])

    def test_tab_to_the_close_button_and_enter_closes(self):
        run, _ = self.open_road(self.new_road("keys-close"))
        self.press("Tab")
        self.assertEqual(self.wait_focus(CLOSE), CLOSE)
        il.shot("keys-close-focused")
        self.press("Return")
        self.assert_closed_by_the_user(run)

    def test_escape_closes_as_the_close_button(self):
        run, _ = self.open_road(self.new_road("keys-escape"))
        self.press("Escape")
        self.assert_closed_by_the_user(run)

    def test_russian_link_opens_with_enter_and_space_and_space_closes(self):
        road = self.new_road("keys-link")
        with e2e.recorded_browser() as (env, opened):
            run = e2e.Installer.start(PARAMS, russian=True, env=dict(road.env, **env))
            self.runs.append(run)
            window = e2e.find_window()
            self.assertIsNotNone(window)
            self.assertTrue(e2e.wait_painted(), "no first paint")
            self.assertIsNotNone(il.wait_ready(), "the Install button is not ready")
            e2e.focus(window)
            self.assertEqual(self.wait_focus(INSTALL), INSTALL, "the keyboard starts on Install")
            probed = self.probe()
            self.assert_captions(probed, "Установить", "Закрыть", "лицензионного соглашения")
            self.press("Tab")
            self.press("Tab")
            self.assertEqual(self.wait_focus(LINK), LINK)
            il.shot("keys-link-focused-ru")
            terms_ru = "https://%s/biz/legal/cumulo_termsofuse" % os.environ["CUMULO_TERMS_HOST"]
            self.press("Return")
            self.assertTrue(e2e.wait_until(lambda: opened() == [terms_ru], 30), opened())
            self.press("space")
            self.assertTrue(e2e.wait_until(lambda: opened() == [terms_ru] * 2, 30), opened())
            self.assert_window_stays(run, "the link closed the window")
            self.assertEqual(e2e.stat_event_names(), ["first"])
            self.press("Tab")
            self.assertEqual(self.wait_focus(INSTALL), INSTALL)
            self.press("Tab")
            self.assertEqual(self.wait_focus(CLOSE), CLOSE)
            self.press("space")
            self.assert_closed_by_the_user(run)

    def log_paths(self, road):
        """The /LOG path of every run's first attempt (attempts come in pairs here)."""
        paths = []
        for line in road.setup_commands()[::2]:
            m = re.search(r'/LOG="([^"]*)"', line)
            paths.append(il.unix_path(m.group(1)))
        return paths

    def wait_error_dialog(self, road, runs):
        dialog = il.find_caption_window(60)
        self.assertIsNotNone(dialog, "the error dialog did not appear")
        self.assertTrue(e2e.wait_until(lambda: len(road.setup_commands()) == 2 * runs, 30))
        log = self.log_paths(road)[-1]
        self.files.append(log)
        self.assertTrue(e2e.wait_until(lambda: os.path.exists(log), 30))
        self.assertEqual(self.wait_focus(OK, il.CAPTION), OK, "OK starts with the keyboard focus")
        self.assertEqual(self.probe(il.CAPTION).controls[JOURNAL]["text"], "Journal")
        return dialog, log

    def test_error_dialog_enter_and_escape_delete_the_log_and_journal_keeps_it(self):
        road = self.new_road("keys-dialog", exit_codes="3,4,3,4,3,4")
        run, _ = self.open_road(road)
        self.press("Return")  # Install
        dialog, log = self.wait_error_dialog(road, 1)
        il.shot("keys-error-dialog")
        self.press("Return")  # OK
        self.assertTrue(e2e.wait_until(lambda: not os.path.exists(log), 30), "Enter kept the log")
        self.assertEqual(self.wait_focus(INSTALL), INSTALL, "the keyboard is back on Install")

        self.press("space")  # Install again
        dialog, log = self.wait_error_dialog(road, 2)
        self.press("Escape")
        self.assertTrue(e2e.wait_until(lambda: not os.path.exists(log), 30), "Escape kept the log")

        self.press("space")
        dialog, log = self.wait_error_dialog(road, 3)
        self.press("Tab")
        self.assertEqual(self.wait_focus(JOURNAL, il.CAPTION), JOURNAL)
        self.press("Return")  # Journal
        self.assertTrue(e2e.wait_until(lambda: dialog not in e2e.find_windows(il.CAPTION), 30))
        # Install is back once the dialog's choice is carried out.
        self.assertIsNotNone(il.wait_ready(), "Install did not come back")
        self.assertTrue(os.path.exists(log), "Journal deleted the log")
        self.assertTrue(run.running())
        failure = [("error_exit_setup", 3), ("error_exit_setup", 4), ("failed_on_second_try", 1),
                   ("error", 1)]
        self.assertEqual(e2e.stat_events(), [("first", 1), ("started", 1)] + failure * 3)


if __name__ == "__main__":
    unittest.main(verbosity=2)
