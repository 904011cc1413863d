"""Talks to the fixture servers' control API (for Python drivers)."""
import json
import os
import ssl
import urllib.request


def _context():
    ca = os.path.join(os.environ["CUMULO_BUILD_DIR"], "test-session", "tls", "ca.pem")
    return ssl.create_default_context(cafile=ca)


def _url(host, path):
    return "https://%s%s" % (host, path)


def script(host, path, responses):
    data = json.dumps({"path": path, "responses": responses}).encode()
    urllib.request.urlopen(urllib.request.Request(_url(host, "/__control/script"), data=data),
                           context=_context()).read()


def requests(host):
    with urllib.request.urlopen(_url(host, "/__control/requests"), context=_context()) as r:
        return json.loads(r.read())


def reset(host):
    urllib.request.urlopen(urllib.request.Request(_url(host, "/__control/reset"), data=b""),
                           context=_context()).read()
