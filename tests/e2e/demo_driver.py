"""One installation shown end to end, for scripts/demo: starts the installer with a journal
and launch parameters, presses Install like a user, and leaves in the output folder the
screenshots, the journal, the recorded telemetry and the client's command line.

    python3 tests/e2e/demo_driver.py <output folder>

Needs a running wine session and its environment, as scripts/demo provides them."""
import os
import shutil
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_lib as e2e  # noqa: E402
import install_lib as il  # noqa: E402

PARAMS = "utm=demo&email=demo.user%40example.com&auth=demo-token-42"


def main(out):
    def shot(name):
        shutil.move(il.shot(name).path, os.path.join(out, name + ".png"))

    e2e.reset_stat()
    il.forget_attribution()
    road = il.Road("demo")
    journal = os.path.join(out, "journal.log")
    # The setup stand-in waits a little so that the second screenshot catches it running.
    run = e2e.Installer.start(["--log", e2e.wine_path(journal), "--params", PARAMS],
                              log=False, env=dict(road.env, CUMULO_SETUP_DELAY_MS="1500"))
    window = e2e.find_window()
    if window is None:
        sys.exit("the installer window did not appear")
    if not e2e.wait_painted() or il.wait_ready() is None:
        sys.exit("the installer window did not become ready")
    shot("1-ready")
    il.press_install(window)
    e2e.wait_until(road.setup_commands, 60)
    shot("2-installing")
    code = il.wait_for_exit(run, 120)
    e2e.wait_until(lambda: e2e.find_windows(il.CLIENT_TITLE), 30)
    shot("3-client-started")

    with open(os.path.join(out, "telemetry.txt"), "w") as f:
        for name, value in e2e.stat_events():
            f.write("%s:%d\n" % (name, value))
        f.write("\n# requests as the statistics endpoint received them\n")
        for query in il.stat_queries():
            f.write(query + "\n")
    with open(os.path.join(out, "client-command-line.txt"), "w") as f:
        f.write("command line: %s\n" % road.client_command_line())
        f.write("argv:\n" + "".join("  %s\n" % a for a in road.client_argv()))
    with open(os.path.join(out, "setup-command-lines.txt"), "w") as f:
        f.write("\n".join(road.setup_commands()) + "\n")
    il.end_clients()
    il.delete_install_path()
    road.cleanup()
    print("installer exit code:", code)
    print("telemetry:", ", ".join("%s:%d" % e for e in e2e.stat_events()))


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: demo_driver.py <output folder>")
    main(sys.argv[1])
