#!/usr/bin/env python3
"""Builds the release a second time, from a copy of the sources in another folder into
another build folder, and compares the two executables byte for byte (SHA-256), before
any signing.
  check_reproducible.py <CumuloInstaller.exe> <source folder> <twin folder>"""
import hashlib
import json
import os
import shutil
import subprocess
import sys


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def main(exe, source, twin):
    shutil.rmtree(twin, ignore_errors=True)
    src, build = os.path.join(twin, "src"), os.path.join(twin, "build")

    def skip(folder, names):
        # The source tree's own builds and its git link are no part of the sources.
        return [n for n in names if folder == source and n in ("build", ".git")]

    shutil.copytree(source, src, ignore=skip)
    # The build preset passes the release preset's environment on; a plain build does not.
    with open(os.path.join(source, "CMakePresets.json")) as f:
        presets = json.load(f)["configurePresets"]
    env = dict(os.environ, **next(p for p in presets if p["name"] == "release").get("environment", {}))
    for step in (["cmake", "--preset", "release", "-S", src, "-B", build],
                 ["cmake", "--build", build, "-j2", "--target", "CumuloInstaller"]):
        done = subprocess.run(step, capture_output=True, text=True, env=env)
        if done.returncode != 0:
            print(done.stdout[-4000:] + done.stderr[-4000:])
            print("release reproducible FAILED: %s" % " ".join(step))
            return 1
    first, second = exe, os.path.join(build, "CumuloInstaller.exe")
    a, b = sha256(first), sha256(second)
    print("release hash: %s %s" % (a, first))
    print("release hash: %s %s" % (b, second))
    if a != b:
        print("release reproducible FAILED: the two builds differ")
        return 1
    print("release reproducible passed")
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))
