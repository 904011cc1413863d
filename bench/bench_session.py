"""The benchmarks' wine session: the environment of scripts/wine-env.sh for a win64
build, and the session (prefix, display, fixture servers) started and stopped around
a benchmark."""
import contextlib
import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
sys.path.insert(0, os.path.join(ROOT, "tests", "harness"))


def session_env(build):
    """The environment scripts/wine-env.sh gives `build`, on the build's own display."""
    out = subprocess.run(["bash", "-c", 'unset DISPLAY; . "$0/scripts/wine-env.sh" "$1" && env -0',
                          ROOT, build], check=True, capture_output=True).stdout
    return dict(item.split("=", 1) for item in out.decode().split("\0") if "=" in item)


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
