#!/usr/bin/env python3
"""Start-up time of the installer against a bare popup window, under wine64 and Xvfb.

    python3 bench/startup_bench.py [runs]     (default 15; a win64 build in build/win64)

Starts a wine session for the build, then alternates runs of the installer, the bare
popup (tools/bench_popup), the popup that first loads the installer's static imports, and
the floor: the popup with the installer's manifest that also paints a line in the
installer's font (the least a window of this kind costs before any work of its own).
Each is started the same way (`wine64 program.exe`); a run's time is from the start of
the process until its window is visible on the display. Prints the medians and ratios.
"""
import os
import statistics
import subprocess
import sys
import time

from bench_session import wine_session  # noqa: E402


def time_until_visible(command, title, env):
    start = time.monotonic()
    process = subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        while time.monotonic() - start < 30:
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % title],
                                   env=env, capture_output=True, text=True)
            if found.stdout.strip():
                return time.monotonic() - start
            time.sleep(0.005)
        raise SystemExit("%s: no window within 30 s" % command[-1])
    finally:
        process.kill()
        process.wait()
        time.sleep(0.3)  # let wine tear the process down before the next run


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 15
    with wine_session() as env:
        import e2e_lib as e2e  # noqa: E402  (reads the session's environment)
        wine_env = e2e.wine_env(False, None)
        installer = [e2e.WINE64, env["CUMULO_INSTALLER"]]
        popup = [e2e.WINE64, os.path.join(env["CUMULO_TOOLS_DIR"], "bench_popup.exe")]
        styled = [e2e.WINE64, os.path.join(env["CUMULO_TOOLS_DIR"], "bench_popup_styled.exe")]
        cases = [("installer", installer, e2e.WINDOW_TITLE),
                 ("popup", popup, "Bench Popup"),
                 ("popup+dlls", popup + ["--dlls"], "Bench Popup"),
                 ("floor", styled + ["--dlls", "--text"], "Bench Popup")]
        times = {name: [] for name, _, _ in cases}
        for name, command, title in cases:  # one warm-up each
            time_until_visible(command, title, wine_env)
        for _ in range(runs):
            for name, command, title in cases:
                times[name].append(time_until_visible(command, title, wine_env))
    medians = {name: statistics.median(t) for name, t in times.items()}
    print("start-up until the window is visible, median of %d alternating runs:" % runs)
    for name, m in medians.items():
        print("  %-11s %.3f s   [%s]" % (name, m, " ".join("%.3f" % t for t in times[name])))
    print("ratio installer / popup:      %.2f (target <= 1.20)" % (medians["installer"] / medians["popup"]))
    print("ratio installer / popup+dlls: %.2f" % (medians["installer"] / medians["popup+dlls"]))
    print("ratio floor / popup:          %.2f" % (medians["floor"] / medians["popup"]))
    print("ratio installer / floor:      %.2f" % (medians["installer"] / medians["floor"]))


if __name__ == "__main__":
    main()
