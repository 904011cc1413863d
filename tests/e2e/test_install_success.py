"""Installation roads that end in success, end to end: the real installer under wine and
Xvfb, the package served by the distribution fixture (the setup stand-in), the stand-in
client, telemetry recorded by the statistics fixture."""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_lib as e2e  # noqa: E402
import install_lib as il  # noqa: E402

PARAMS = ["--params", "utm=spring_promo&email=user%40example.com&auth=tok%2B123%3D"]
EMAIL, TOKEN = "user@example.com", "tok+123="


class InstallSuccessTest(il.RoadTestCase):
    PARAMS = PARAMS

    def install(self, name, **road_settings):
        """Starts the installer for a road and presses Install; returns (run, road)."""
        road = self.new_road(name, **road_settings)
        run, window = self.open_road(road)
        il.shot(name + "-ready")
        il.press_install(window)
        return run, road

    def assert_client_started_with_handoff(self, road):
        # The install folder has a space; quoted, the path stays one argument.
        client = e2e.wine_path(road.install_dir) + "\\Cumulo.exe"
        self.assertIn(" ", client)
        self.assertEqual(road.client_argv(), [client, "-auth_email", EMAIL, "-auth_token", TOKEN])
        self.assertEqual(road.client_command_line(),
                         '"%s" -auth_email "%s" -auth_token "%s"' % (client, EMAIL, TOKEN))

    def test_success_road(self):
        run, road = self.install("success", setup_delay_ms=1500)
        self.assertTrue(e2e.wait_until(lambda: road.setup_commands(), 30))
        il.shot("success-installing")
        self.assertEqual(il.wait_for_exit(run, 60), e2e.EXIT_INSTALLED, "the window did not close")

        # The package was fetched once and run silently with a quoted log path.
        self.assertEqual([r["path"] for r in il.dist_requests()], [il.PACKAGE_PATH])
        params = road.setup_parameters()
        self.assertEqual(len(params), 1)
        log = road.log_path_given()
        self.assertRegex(params[0], r'^%s /LOG="[^"]+\\Cumulo-[0-9a-f-]{36}\.log"$' % il.SILENT)
        self.assertEqual(road.lines("setup_show.txt"), ["0"])
        self.assert_client_started_with_handoff(road)

        requests = e2e.stat_requests()
        self.assertEqual(e2e.stat_events(requests),
                         [("first", 1), ("started", 1), ("found_valid_tok", 1), ("setup_run", 1)])
        identifier = e2e.reg_query(e2e.PRODUCT_KEY, "installationId")
        self.assertTrue(identifier)
        for r in requests:
            self.assertIn("utm=spring_promo", r["query"])
            self.assertIn("iid=%s" % identifier, r["query"])
        agents = [v for k, v in il.dist_requests()[0]["headers"] if k.lower() == "user-agent"]
        self.assertEqual(agents, ["CumuloWindows " + identifier])

        messages = e2e.journal_messages(run.log_path)
        url = "https://%s%s" % (il.dist_host(), il.PACKAGE_PATH)
        self.assertTrue(il.ordered_subsequence(
            ["Starting GUI Installer...", "User started install procedure.",
             "Starting installation procedure...", "Downloading file: " + url,
             "Downloader completed succesfully.", "Runnning installer",
             "GUI Installer Finished."], messages), messages)
        self.assertNotIn("Runnning installer, second attempt", messages)
        self.assertEqual([m for level, m in run.journal() if level != "I"], [])

        # Nothing is left in the temporary folder.
        self.assertFalse(os.path.exists(log))
        self.assertFalse(os.path.exists(road.package_path()))
        self.assertEqual(e2e.reg_query(e2e.PRODUCT_KEY, "InstallPath"),
                         e2e.wine_path(road.install_dir))
        il.shot("success-client-running")

    def test_setup_fails_once_then_succeeds(self):
        run, road = self.install("retry", exit_codes="5,0")
        self.assertEqual(il.wait_for_exit(run, 60), e2e.EXIT_INSTALLED)
        params = road.setup_parameters()
        self.assertEqual(len(params), 2)
        self.assertTrue(params[0].startswith(il.SILENT + " /LOG="), params[0])
        self.assertTrue(params[1].startswith("/LOG="), params[1])
        self.assertEqual(road.lines("setup_show.txt"), ["0", "5"])
        self.assertEqual(e2e.stat_events(),
                         [("first", 1), ("started", 1), ("error_exit_setup", 5),
                          ("succeeded_on_second_try", 1), ("found_valid_tok", 1),
                          ("setup_run", 1)])
        self.assertIn("Runnning installer, second attempt", e2e.journal_messages(run.log_path))
        self.assertFalse(os.path.exists(road.log_path_given()))
        self.assert_client_started_with_handoff(road)

    def test_client_that_never_appears_says_so_in_the_exit_code(self):
        run, road = self.install("never", client_mode="never_appear")
        self.assertEqual(il.wait_for_exit(run, 60), e2e.EXIT_CLIENT_NOT_STARTED)
        names = e2e.stat_event_names()
        self.assertEqual(names, ["first", "started", "found_valid_tok", "err_cumulo_not_run",
                                 "err_cumulo_crashed", "setup_run"])
        self.assertIn(("E", "Starting Cumulo application failed: crash"), run.journal())

    def test_client_that_exits_at_once_says_so_in_the_exit_code(self):
        run, road = self.install("exits", client_mode="exit_at_once")
        self.assertEqual(il.wait_for_exit(run, 60), e2e.EXIT_CLIENT_NOT_STARTED)
        # The installer started it, once, with the hand-off.
        self.assertEqual(len(road.lines("client_starts.txt")), 1)
        self.assert_client_started_with_handoff(road)
        # Seen or not before it ended (that is wine's timing), it is gone a second later.
        names = [n for n in e2e.stat_event_names() if n != "err_cumulo_not_run"]
        self.assertEqual(names, ["first", "started", "found_valid_tok", "err_cumulo_crashed",
                                 "setup_run"])
        self.assertIn(("E", "Starting Cumulo application failed: crash"), run.journal())

    def test_running_client_is_closed_first(self):
        road = self.new_road("closefirst")
        old_client = road.start_client("normal")
        self.assertIsNotNone(e2e.wait_until(lambda: e2e.find_windows(il.CLIENT_TITLE), 30))
        run, window = self.open_road(road)
        il.press_install(window)
        self.assertEqual(il.wait_for_exit(run, 60), e2e.EXIT_INSTALLED)
        self.assertEqual(old_client.wait(10), 0)
        self.assertIn("close", road.lines("client_events.txt"))
        self.assertIn("Cumulo application is already running, trying to close...",
                      e2e.journal_messages(run.log_path))
        self.assertEqual(e2e.stat_event_names(),
                         ["first", "started", "found_valid_tok", "setup_run"])


    def test_package_served_by_nginx(self):
        nginx = os.environ.get("CUMULO_NGINX_HOST")
        if not nginx:
            self.skipTest("the session started no nginx")
        served = os.path.join(e2e.build_dir(), "test-session", "nginx")
        target = "https://%s%s" % (nginx, il.PACKAGE_PATH)
        il.script_dist([{"status": 302, "headers": [["Location", target]]}])
        run, road = self.install("nginx")
        self.assertEqual(il.wait_for_exit(run, 60), e2e.EXIT_INSTALLED, "the window did not close")
        self.assertEqual(len(road.setup_parameters()), 1)
        self.assert_client_started_with_handoff(road)
        size = os.path.getsize(os.path.join(served, "www") + il.PACKAGE_PATH)
        with open(os.path.join(served, "access.log")) as f:
            self.assertIn('200 %d "%s" "-" "-"' % (size, il.PACKAGE_PATH), f.read().splitlines())
        messages = e2e.journal_messages(run.log_path)
        self.assertTrue(il.ordered_subsequence(
            ["Downloader, trying download: " + target, "Downloader, response: 200",
             "Downloader completed succesfully."], messages), messages)

    def test_cut_download_resumes_and_installs(self):
        package = il.package()  # signed, so that the resumed file must pass the check too
        size = os.path.getsize(package)
        answer = {"status": 200, "body_file": package, "ranges": True,
                  "headers": [["ETag", '"pkg1"'], ["Accept-Ranges", "bytes"]]}
        il.script_dist([dict(answer, cut_after=size * 2 // 5), answer])
        run, road = self.install("resume")
        self.assertEqual(il.wait_for_exit(run, 60), e2e.EXIT_INSTALLED, "the window did not close")
        requests = il.dist_requests()
        ranges = [[v for k, v in r["headers"] if k.lower() == "range"] for r in requests]
        self.assertEqual(len(ranges), 2)
        self.assertEqual(ranges[0], [])
        self.assertRegex(ranges[1][0], r"^bytes=[1-9][0-9]*-$")
        self.assertLessEqual(sum(r["sent"] for r in requests), size * 105 // 100)
        messages = e2e.journal_messages(run.log_path)
        self.assertIn("Downloader, resuming from byte: " + ranges[1][0][6:-1], messages)
        self.assertIn("Downloader, response: 206", messages)
        self.assertEqual(e2e.stat_event_names(),
                         ["first", "started", "err_setup_network", "found_valid_tok", "setup_run"])
        self.assert_client_started_with_handoff(road)


    def test_lower_case_front_end_with_relative_308_and_a_cut_installs(self):
        # A front end that writes every header name in lower case and moves the package
        # with a 308 to a relative Location; the first answer is cut at 40 %.
        package = il.package()
        size = os.path.getsize(package)
        answer = {"status": 200, "body_file": package, "ranges": True, "lower_case_names": True,
                  "headers": [["ETag", '"pkg1"'], ["Accept-Ranges", "bytes"]]}
        il.script_dist([{"status": 308, "lower_case_names": True,
                         "headers": [["Location", "Cumulo_setup_offline.exe?via=308"]]},
                        dict(answer, cut_after=size * 2 // 5), answer])
        run, road = self.install("lowercase308")
        self.assertEqual(il.wait_for_exit(run, 60), e2e.EXIT_INSTALLED, "the window did not close")
        requests = il.dist_requests()
        self.assertEqual([r["query"] for r in requests], ["", "via=308", "via=308"])
        ranges = [[v for k, v in r["headers"] if k.lower() == "range"] for r in requests]
        self.assertEqual(ranges[:2], [[], []])
        self.assertRegex(ranges[2][0], r"^bytes=[1-9][0-9]*-$")
        messages = e2e.journal_messages(run.log_path)
        target = "https://%s%s?via=308" % (il.dist_host(), il.PACKAGE_PATH)
        self.assertTrue(il.ordered_subsequence(
            ["Downloader, response: 308", "Downloader, trying download: " + target,
             "    content-length: %d" % size,
             "Downloader, resuming from byte: " + ranges[2][0][6:-1], "Downloader, response: 206",
             "Downloader completed succesfully."], messages), messages)
        self.assertEqual(e2e.stat_event_names(),
                         ["first", "started", "err_setup_network", "found_valid_tok", "setup_run"])
        self.assert_client_started_with_handoff(road)

if __name__ == "__main__":
    unittest.main(verbosity=2)
