#!/usr/bin/env python3
"""The download soak: the product's Downloader under wine (tools/download_soak) against a
fault server that draws a mix of faults per seed (tests/harness/fault_server.py).

For every seed it checks:
  - a completed download holds a byte-identical package;
  - a failed one ends with the attempt loop's result (Retry or NoStatus) after the last
    URL's five attempts (four after a redirect), never after a whole clean answer;
  - the download ends within (5 + redirects) x (stall bound + connect bound);
  - the package bytes written to the wire are at most twice the package.
Then it prints the table: runs per fault kind, outcomes, the worst time and the worst
bytes ratio. Exits 1 when a check fails.
  download_soak.py --tool download_soak.exe --port 18448 --stall 3 --seeds 30
"""
import argparse
import concurrent.futures
import hashlib
import os
import random
import re
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "harness"))
import fault_server  # noqa: E402

WINE64 = "/usr/lib/wine/wine64"
PACKAGE_SIZE = 786433  # odd, so that no cut lines up with a read chunk
CONNECT_BOUND = 30  # the session's connect time-out, in seconds
CODE_NAMES = {1: "NoStatus", 2: "Retry", 3: "DiskFull", 4: "AccessDenied", 5: "DiskError",
              6: "Redirect", 7: "Completed"}


def winpath(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run_seed(args, server, out, seed):
    dest = os.path.join(out, "seed-%d.bin" % seed)
    journal = os.path.join(out, "seed-%d.log" % seed)
    for path in (dest, journal):
        if os.path.exists(path):
            os.remove(path)
    draw = fault_server.Seed(seed, server.host)  # the same draw the server makes
    bound = (5 + len(draw.hops)) * (args.stall + CONNECT_BOUND)
    started = time.time()
    try:
        done = subprocess.run([WINE64, args.tool, server.url(seed), winpath(dest), winpath(journal)],
                              capture_output=True, text=True, timeout=bound + 60)
        line = done.stdout.strip()
    except subprocess.TimeoutExpired:
        line = "hung"
    wall = time.time() - started
    match = re.search(r"code (\d+) bytes (\d+) seconds ([0-9.]+)", line)
    result = {"seed": seed, "line": line, "wall": wall, "bound": bound, "problems": []}
    if not match:
        result["problems"].append("no result from the tool: %r" % line)
        result.update(code=0, seconds=wall)
    else:
        result.update(code=int(match.group(1)), seconds=float(match.group(3)))
    result["file_ok"] = os.path.exists(dest) and \
        hashlib.sha256(open(dest, "rb").read()).digest() == args.package_digest
    result["journal"] = open(journal, encoding="utf-8", errors="replace").read() \
        if os.path.exists(journal) else ""
    return result


def trailing_attempts(journal):
    """(attempts of the last URL, whether a redirect led there) from the journal."""
    urls = re.findall(r"Downloader, trying download: (\S+)", journal)
    if not urls:
        return 0, False
    last = urls[-1]
    count = 0
    for url in reversed(urls):
        if url != last:
            break
        count += 1
    return count, count < len(urls)


def check(result, record, size):
    problems = result["problems"]
    code = result["code"]
    if code == 7 and not result["file_ok"]:
        problems.append("completed, but the file is not the package")
    if code not in (0, 7):
        if code not in (1, 2):
            problems.append("ended with %s, not the attempt loop's failure" % CODE_NAMES.get(code, code))
        attempts, redirected = trailing_attempts(result["journal"])
        if attempts != (4 if redirected else 5):
            problems.append("failed after %d attempts of the last URL" % attempts)
        if record and any(r["complete"] for r in record.requests):
            problems.append("failed after the server had sent a whole clean answer")
    if result["seconds"] > result["bound"]:
        problems.append("took %.1f s, over the bound of %d s" % (result["seconds"], result["bound"]))
    sent = sum(r["sent"] for r in record.requests) if record else 0
    result["ratio"] = sent / size
    if sent > 2 * size:
        problems.append("sent %d package bytes, %.2f times the package" % (sent, sent / size))
    result["kinds"] = sorted(record.kinds) if record else []
    result["requests"] = [(r["hop"], r["kind"], r["range"], r["sent"]) for r in record.requests] \
        if record else []


def table(results, stall):
    lines = []
    kinds = fault_server.all_kinds()
    width = max(len(k) for k in kinds) + 2
    lines.append("download soak: %d seeds, stall bound %d s" % (len(results), stall))
    lines.append("%-*s %6s %10s %7s" % (width, "fault kind", "runs", "completed", "failed"))
    for kind in kinds:
        runs = [r for r in results if kind in r["kinds"]]
        done = sum(1 for r in runs if r["code"] == 7)
        lines.append("%-*s %6d %10d %7d" % (width, kind, len(runs), done, len(runs) - done))
    outcomes = {}
    for r in results:
        outcomes[r["code"]] = outcomes.get(r["code"], 0) + 1
    lines.append("outcomes: " + ", ".join("%s %d" % (CODE_NAMES.get(c, "no result"), n)
                                          for c, n in sorted(outcomes.items())))
    worst_time = max(results, key=lambda r: r["seconds"])
    worst_ratio = max(results, key=lambda r: r["ratio"])
    lines.append("worst time: %.2f s (seed %d, bound %d s)" %
                 (worst_time["seconds"], worst_time["seed"], worst_time["bound"]))
    lines.append("worst bytes ratio: %.3f (seed %d)" % (worst_ratio["ratio"], worst_ratio["seed"]))
    bad = [r for r in results if r["problems"]]
    lines.append("invariants: %s" % ("all held" if not bad else "%d runs broke them" % len(bad)))
    return "\n".join(lines)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--tool", required=True, help="download_soak.exe")
    ap.add_argument("--port", type=int, required=True)
    ap.add_argument("--stall", type=int, required=True, help="the tool's stall bound, seconds")
    ap.add_argument("--cert", required=True)
    ap.add_argument("--key", required=True)
    ap.add_argument("--seeds", type=int, default=30)
    ap.add_argument("--first", type=int, default=1)
    ap.add_argument("--jobs", type=int, default=3)
    ap.add_argument("--out", default="")
    args = ap.parse_args()
    package = random.Random(20261211).randbytes(PACKAGE_SIZE)
    args.package_digest = hashlib.sha256(package).digest()
    out = args.out or tempfile.mkdtemp(prefix="download-soak-")
    os.makedirs(out, exist_ok=True)
    # Long enough that only the downloader's own bounds end a silence.
    hold = 4 * args.stall + 10
    server = fault_server.FaultServer(args.port, args.cert, args.key, package, hold).start()
    seeds = range(args.first, args.first + args.seeds)
    results = []
    with concurrent.futures.ThreadPoolExecutor(max_workers=args.jobs) as pool:
        for result in pool.map(lambda s: run_seed(args, server, out, s), seeds):
            check(result, server.record(result["seed"]), PACKAGE_SIZE)
            results.append(result)
            if result["problems"]:
                print("seed %d: %s; %s; kinds %s; requests %s" % (
                    result["seed"], "; ".join(result["problems"]), result["line"],
                    ",".join(result["kinds"]), result["requests"]), flush=True)
    server.shutdown()
    print(table(results, args.stall))
    print("journals and files: %s" % out)
    return 1 if any(r["problems"] for r in results) else 0


if __name__ == "__main__":
    sys.exit(main())
