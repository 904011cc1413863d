"""The benchmarks' wine session: the environment a win64 build's wine.env holds, and the
session (prefix, display, fixture servers) started and stopped around a benchmark."""
import contextlib
import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
sys.path.insert(0, os.path.join(ROOT, "tests", "harness"))


def session_env(build):
    """The environment ctest gives `build`'s wine tiers (its wine.env), on the build's own
    display, over this process's environment."""
    with open(os.path.join(build, "wine.env"), encoding="utf-8") as f:
        own = dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)
    return {**os.environ, **own}


@contextlib.contextmanager
def wine_session(build=os.path.join(ROOT, "build", "win64")):
    """Yields the session's environment, also put into os.environ so that the e2e
    libraries, imported afterwards, see it."""
    env = session_env(build)
    os.environ.update(env)
    session = os.path.join(ROOT, "tests", "harness", "wine-session")
    subprocess.run([session, "start"], env=env, check=True, stdout=subprocess.DEVNULL)
    try:
        yield env
    finally:
        subprocess.run([session, "stop"], env=env, stdout=subprocess.DEVNULL)
