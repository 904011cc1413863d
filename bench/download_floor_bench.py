#!/usr/bin/env python3
"""The Downloader against the floor under it: a bare WinInet read loop with the same
request flags and buffer, in the same wine, against the same local TLS server.

    python3 bench/download_floor_bench.py [runs]    (default 5; a win64 build in build/win64)

Alternates the two (curl's time is printed beside them for context), and prints the
throughput ratio, the CPU time per MiB of both, and the Downloader's peak working set for
a 64 MiB and an 8 MiB body: the download streams through one buffer, so it stays flat.
"""
import json
import os
import ssl
import statistics
import subprocess
import sys
import urllib.request

from bench_session import wine_session  # noqa: E402

WINE64 = "/usr/lib/wine/wine64"
MIB = 1024 * 1024


def script(env, ca, path, size, repeat):
    body = json.dumps({"path": path, "responses": [
        {"status": 200, "body_size": size, "repeat": repeat}]}).encode()
    context = ssl.create_default_context(cafile=ca)
    request = urllib.request.Request("https://%s/__control/script" % env["CUMULO_DIST_HOST"],
                                     data=body, method="POST")
    urllib.request.urlopen(request, context=context).read()


def run_tool(env, tool, url, dest, size):
    line = subprocess.run([WINE64, os.path.join(env["CUMULO_TOOLS_DIR"], tool), url,
                           "Z:" + dest.replace("/", "\\")], env=env, check=True,
                          capture_output=True, text=True).stdout.split()
    fields = dict(zip(line[::2], line[1::2]))
    if fields.get("code") != "7" or int(fields["bytes"]) != size:
        raise SystemExit("%s failed: %s" % (tool, " ".join(line)))
    return float(fields["seconds"]), float(fields["cpu"]), int(fields["peak_ws"])


def curl(ca, url, dest):
    out = subprocess.run(["curl", "-s", "--cacert", ca, "-o", dest, "-w", "%{time_total}", url],
                         check=True, capture_output=True, text=True).stdout
    return float(out)


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 5
    with wine_session() as env:
        build = env["CUMULO_BUILD_DIR"]
        out = os.path.join(build, "bench-download")
        os.makedirs(out, exist_ok=True)
        ca = os.path.join(build, "test-session", "tls", "ca.pem")
        big, small = 64 * MIB, 8 * MIB
        script(env, ca, "/bench/64m", big, 3 * runs + 3)
        script(env, ca, "/bench/8m", small, 1)
        url = "https://%s/bench/64m" % env["CUMULO_DIST_HOST"]
        dest = os.path.join(out, "file.bin")
        run_tool(env, "download_bench.exe", url, dest, big)  # warm-up for both
        run_tool(env, "wininet_loop_bench.exe", url, dest, big)
        curl(ca, url, dest)
        product, floor, curls = [], [], []
        for _ in range(runs):
            product.append(run_tool(env, "download_bench.exe", url, dest, big))
            floor.append(run_tool(env, "wininet_loop_bench.exe", url, dest, big))
            curls.append(curl(ca, url, dest))
        small_peak = run_tool(env, "download_bench.exe",
                              "https://%s/bench/8m" % env["CUMULO_DIST_HOST"], dest, small)[2]

    def median(rows, i):
        return statistics.median(r[i] for r in rows)

    p, f, c = median(product, 0), median(floor, 0), statistics.median(curls)
    print("64 MiB over TLS from the local fixture server, median of %d alternating runs:" % runs)
    print("  Downloader        %.3f s  %6.1f MiB/s  cpu %.2f ms/MiB" % (p, 64 / p, 1000 * median(product, 1) / 64))
    print("  bare WinInet loop %.3f s  %6.1f MiB/s  cpu %.2f ms/MiB" % (f, 64 / f, 1000 * median(floor, 1) / 64))
    print("  curl (context)    %.3f s  %6.1f MiB/s" % (c, 64 / c))
    print("ratio Downloader / bare loop throughput: %.2f (target >= 0.95)" % (f / p))
    print("Downloader peak working set: %.1f MiB for 64 MiB, %.1f MiB for 8 MiB"
          % (median(product, 2) / MIB, small_peak / MIB))


if __name__ == "__main__":
    main()
