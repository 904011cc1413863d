"""The attribution tag (utm) in the telemetry requests, end to end: whatever the link
holds, the statistics endpoint receives it as exactly one "utm" value that decodes to the
tag, and no forged parameter, also when the tag comes back from the registry."""
import os
import sys
import unittest
from urllib.parse import parse_qs

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_lib as e2e  # noqa: E402

# (the utm as the link's container carries it, the tag it stands for)
HOSTILE = [
    ("a%26t%3Dx", "a&t=x"),             # would forge a second "t"
    ("x%23y", "x#y"),                   # would cut the query
    ("spring%20sale", "spring sale"),   # would make the URL invalid
    ("50%2525+off", "50%25 off"),       # a percent sign of its own
    ("caf%E9", "caf\u00e9"),            # non-ASCII: the byte in the user's code page (1252)
]
EVENT_T = "cumulo_windows_22030052"


class TelemetryTagTest(e2e.InstallerTestCase):
    def open_and_close(self, args):
        """Opens the window, closes it by its button; returns the statistics requests."""
        e2e.reset_stat()
        run = e2e.Installer.start(args)
        self.runs.append(run)
        window = e2e.find_window()
        self.assertIsNotNone(window, "the installer window did not appear")
        e2e.park_pointer()
        self.assertTrue(e2e.wait_painted(), "no first paint")
        e2e.click(window, 1048, 32)
        self.assertEqual(run.wait(30), e2e.EXIT_CLOSED)
        return e2e.stat_requests()

    def assert_tag_arrived(self, requests, tag):
        self.assertEqual(e2e.stat_event_names(requests), ["first", "closed"])
        for r in requests:
            query = parse_qs(r["query"], keep_blank_values=True, strict_parsing=True,
                             errors="strict")
            self.assertEqual(query["utm"], [tag], r["query"])
            self.assertEqual(query["t"], [EVENT_T], r["query"])
            self.assertEqual(sorted(query), ["i", "iid", "p", "t", "utm", "v"], r["query"])

    def test_hostile_tags_from_the_link(self):
        for link_value, tag in HOSTILE:
            with self.subTest(link_value=link_value), \
                    e2e.registry_value(e2e.PRODUCT_KEY, "utm", None):
                requests = self.open_and_close(
                    ["--params", "utm=%s&email=a%%40b.c&auth=t" % link_value])
                self.assert_tag_arrived(requests, tag)

    def test_an_ordinary_tag_stays_as_it_is(self):
        with e2e.registry_value(e2e.PRODUCT_KEY, "utm", None):
            requests = self.open_and_close(["--params", "utm=mailing_2026"])
            for r in requests:
                self.assertTrue(r["query"].startswith("p=strato&utm=mailing_2026&t="), r["query"])

    def test_a_stored_hostile_tag_is_encoded_on_every_later_run(self):
        with e2e.registry_value(e2e.PRODUCT_KEY, "utm", "a&t=x#y z"):
            requests = self.open_and_close([])
            self.assert_tag_arrived(requests, "a&t=x#y z")


if __name__ == "__main__":
    unittest.main(verbosity=2)
