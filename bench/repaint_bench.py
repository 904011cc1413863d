#!/usr/bin/env python3
"""How often the installer window repaints its progress during a download of a known
length: at most once per percent of the bar's 0..50 download range.

    python3 bench/repaint_bench.py [MiB]     (default 64; a win64 build in build/win64)

The test build records each repaint of the bar and its label (CUMULO_BENCH_COUNTS); the
distribution fixture serves a package of the given size; the bench presses Install and
stops the installer once the bar has reached 50 %.
"""
import os
import sys
import tempfile

from bench_session import wine_session  # noqa: E402


def main():
    mib = int(sys.argv[1]) if len(sys.argv) > 1 else 64
    with wine_session() as env:
        import e2e_lib as e2e  # noqa: E402  (reads the session's environment)
        import fixture_client  # noqa: E402
        import install_lib as il  # noqa: E402

        counts = tempfile.mktemp(prefix="repaints-", dir=env["CUMULO_BUILD_DIR"])
        fixture_client.script(env["CUMULO_DIST_HOST"], "/cumulo/Cumulo_setup_offline.exe",
                              [{"status": 200, "body_size": mib * 1024 * 1024}])
        run = e2e.Installer.start(env={"CUMULO_BENCH_COUNTS": e2e.wine_path(counts)})
        window = e2e.find_window()
        if window is None:
            raise SystemExit("the installer window did not appear")
        il.press_install(window)

        def lines():
            return open(counts).read().split() if os.path.exists(counts) else []
        reached = e2e.wait_until(lambda: "50" in lines()[1::2], 300, interval=0.1)
        run.stop()
        if not reached:
            raise SystemExit("the bar did not reach 50 %")
        percents = [int(p) for p in lines()[1::2]]
    during = percents[percents.index(0, 1) if 0 in percents[1:] else 0:]
    print("%d MiB download: %d progress repaints in all, %d from the start of the download "
          "to 50 %% (at most 51: one per percent step 0..50)" % (mib, len(percents), len(during)))
    print("percents repainted: %s" % " ".join(str(p) for p in percents))


if __name__ == "__main__":
    main()
