"""A distribution server that draws its faults from a seed, for the download soak.

Each seed has its own paths, /soak/<seed>/<hop>/Cumulo_setup_offline.exe, and its own
random draw: whether the seed's answers spell header names in lower case, which validator
they carry (ETag or Last-Modified), a chain of redirects in front of the package (301, 302,
303, 307 or 308, with an absolute, network-path, absolute-path, relative-path or
query-only Location), and for every request of the package one way to answer it: well, cut
at a random byte, silent (before the head or inside the body), 5xx, dripping, with a wrong
or missing length, or, for a ranged request, a 206 that cannot be trusted, a 200 that
ignores the range, or a validator that changed on the server.

Every draw is one a correct downloader can live with: at most one answer per seed makes
the bytes already fetched useless (so the package never costs more than twice its size on
the wire), and a body the server ends cleanly is never shorter than its announced length
unless the length says so. (A body longer than its Content-Length is not drawn: WinInet
itself stops reading at the length, so only the package's signature can tell.) The record of a seed (what was drawn, what each request got,
the package bytes written to the socket) is what the soak's checks read.
"""
import os
import random
import select
import socket
import ssl
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import urlsplit

PACKAGE_NAME = "Cumulo_setup_offline.exe"

# Weights of the ways to answer a request of the package.
PLAIN_KINDS = [
    ("ok", 40), ("cut", 14), ("silence_body", 6), ("silence_head", 3), ("5xx", 10),
    ("drip", 7), ("short_length", 5), ("no_length", 4), ("no_length_cut", 3),
]
# Only for a request that asks for a range.
RANGE_KINDS = [
    ("range_ignored", 12), ("range_no_validator", 12), ("range_other_validator", 12),
    ("range_wrong_start", 12), ("changed_validator", 12),
]
# Answers after which the bytes on disk are no use; one per seed at most.
WASTING = {"short_length", "no_length_cut", "range_ignored", "range_no_validator",
           "range_other_validator", "range_wrong_start", "changed_validator"}
# 206 answers a downloader must refuse on their head alone (a length that disagrees with
# the range among them).
REFUSED_206 = {"range_no_validator", "range_other_validator", "range_wrong_start", "short_length"}


def own_waste(kind, size):
    """The most package bytes a wasting answer sends that cannot count toward the file."""
    return size // 4 if kind in ("short_length", "no_length_cut") else 0


REDIRECT_STATUSES = [301, 302, 303, 307, 308]
LOCATION_FORMS = ["absolute", "network_path", "absolute_path", "relative_path", "query"]


def all_kinds():
    """Every fault kind a seed can show, for the table."""
    kinds = [k for k, _ in PLAIN_KINDS + RANGE_KINDS if k != "ok"]
    return kinds + ["lower_case", "last_modified"] + \
        ["redirect_%d" % s for s in REDIRECT_STATUSES] + ["location_" + f for f in LOCATION_FORMS]


class Seed:
    """The draw and the record of one seed."""

    def __init__(self, seed, host):
        self.seed = seed
        self.rng = random.Random(seed)
        rng = self.rng
        self.lower_case = rng.random() < 0.3
        self.last_modified = rng.random() < 0.25
        self.version = 1
        self.hops = []
        if rng.random() < 0.4:
            for _ in range(rng.randint(1, 3)):
                self.hops.append((rng.choice(REDIRECT_STATUSES), rng.choice(LOCATION_FORMS)))
        self.host = host
        self.wasted = False
        self.length_lied = False
        self.kinds = set()
        if self.lower_case:
            self.kinds.add("lower_case")
        if self.last_modified:
            self.kinds.add("last_modified")
        for status, form in self.hops:
            self.kinds.update(("redirect_%d" % status, "location_" + form))
        self.requests = []  # one dict per request: hop, kind, range, sent, complete
        self.lock = threading.Lock()

    def validator(self):
        if self.last_modified:
            return "Last-Modified", "Mon, 0%d Dec 2025 10:00:00 GMT" % self.version
        return "ETag", '"pkg-%d-v%d"' % (self.seed, self.version)

    def hop_path(self, hop):
        return "/soak/%d/%d/%s" % (self.seed, hop, PACKAGE_NAME)

    def location(self, hop, form):
        """Where hop `hop` sends the client: hop + 1, written in `form`."""
        target = hop + 1
        path = self.hop_path(target)
        if form == "absolute":
            return "https://%s%s" % (self.host, path)
        if form == "network_path":
            return "//%s%s" % (self.host, path)
        if form == "absolute_path":
            return path
        if form == "relative_path":
            return "../%d/%s" % (target, PACKAGE_NAME)
        return "?hop=%d" % target

    def sent(self):
        return sum(r["sent"] for r in self.requests)

    def draw(self, ranged, size):
        kinds = PLAIN_KINDS + (RANGE_KINDS if ranged else [])
        # Wasted bytes (those sent so far, and what the answer itself may send in vain)
        # stay below the package, less an eighth for the part of a read chunk that each
        # later cut loses: so twice the package bounds the wire.
        room = size - size // 8 - self.sent()
        kinds = [(k, w) for k, w in kinds
                 if k not in WASTING or (not self.wasted and own_waste(k, size) <= room)]
        total = sum(w for _, w in kinds)
        pick = self.rng.uniform(0, total)
        for kind, weight in kinds:
            pick -= weight
            if pick <= 0:
                break
        if kind in WASTING:
            self.wasted = True
        if kind != "ok":
            self.kinds.add(kind)
        return kind


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"
    server_version = "CumuloFault/1.0"

    def log_message(self, fmt, *args):
        pass

    def do_GET(self):
        parts = urlsplit(self.path)
        pieces = parts.path.strip("/").split("/")
        seeds = self.server.seeds
        if len(pieces) != 4 or pieces[0] != "soak" or pieces[3] != PACKAGE_NAME:
            return self.send_head(404, [], 0)
        try:
            number, hop = int(pieces[1]), int(pieces[2])
            if parts.query.startswith("hop="):
                hop = int(parts.query[len("hop="):])
        except ValueError:
            return self.send_head(404, [], 0)
        with self.server.lock:
            seed = seeds.get(number)
            if seed is None:
                seed = seeds[number] = Seed(number, self.server.host)
        with seed.lock:
            plan = self.plan(seed, hop)
        self.execute(plan)

    def plan(self, seed, hop):
        """Draws everything about this answer, so that the seed's draws keep their order."""
        record = {"hop": hop, "kind": None, "range": None, "sent": 0, "complete": False}
        seed.requests.append(record)
        self.seed, self.record = seed, record
        rng = seed.rng
        if hop < len(seed.hops):
            status, form = seed.hops[hop]
            if rng.random() < 0.15:
                record["kind"] = "5xx"
                seed.kinds.add("5xx")
                return {"status": 503, "headers": [], "body": b"busy"}
            record["kind"] = "redirect"
            return {"status": status, "headers": [("Location", seed.location(hop, form))]}
        if hop != len(seed.hops):
            return {"status": 404, "headers": []}

        size = len(self.server.package)
        first = self.range_start(size)
        condition = self.headers.get("If-Range")
        kind = seed.draw(first is not None, size)
        record["kind"], record["range"] = kind, first
        if kind == "changed_validator":
            seed.version += 1
        name, value = seed.validator()
        if first is not None and condition is not None and condition != value:
            first = None  # If-Range no longer holds: the whole body, as RFC 9110 says
        if kind == "range_ignored":
            first = None
        if kind == "5xx":
            return {"status": rng.choice([500, 502, 503, 504]), "headers": [], "body": b"oops"}
        if kind == "silence_head":
            return {"hold": True}
        start = first or 0
        base = [("Content-Type", "application/octet-stream"), ("Accept-Ranges", "bytes")]
        head = base + [(name, value)]
        status = 200
        if first is not None:
            status = 206
            if kind == "range_no_validator":
                head = list(base)
            elif kind == "range_other_validator":
                head = base + [(name, value.replace("v", "w") if name == "ETag"
                                else "Tue, 01 Jan 2030 00:00:00 GMT")]
            shown = start
            if kind == "range_wrong_start":
                shown = max(0, start - rng.randint(1, min(start, 65536)))
            head.append(("Content-Range", "bytes %d-%d/%d" % (shown, size - 1, size)))
        length = size - start
        if kind == "short_length":
            # Announces more than there is, and closes early: a length proved wrong, so
            # nothing of this answer can be trusted (a 206 of it is refused on its head).
            length += rng.randint(1, 100000)
        if kind not in ("no_length", "no_length_cut"):
            head.append(("Content-Length", str(length)))
        body_len = size - start
        # After a length that proved wrong every 206 disagrees with what the client holds,
        # until a whole body has told it the true length again.
        refused = first is not None and (kind in REFUSED_206 or seed.length_lied)
        if kind == "short_length":
            seed.length_lied = True
        elif first is None:
            seed.length_lied = False
        plan = {"status": status, "headers": head, "length": None, "start": start,
                "kind": kind, "body_len": body_len, "refused": refused}
        if kind == "cut":
            plan["cut_at"] = rng.randint(0, body_len)
        elif kind in ("no_length_cut", "short_length"):
            plan["cut_at"] = rng.randint(0, min(body_len - 1, size // 4))
        elif kind == "silence_body":
            plan["cut_at"] = rng.randint(0, body_len - 1)
        elif kind == "drip":
            plan["drip_seconds"] = rng.uniform(0.5, 1.5)
            plan["drip_gaps"] = [rng.uniform(0.01, 0.1) for _ in range(200)]
        return plan

    def execute(self, plan):
        if plan.get("hold"):
            return self.hold()
        if "start" not in plan:
            return self.send_head(plan["status"], plan["headers"], 0, plan.get("body", b""))
        self.send_head(plan["status"], plan["headers"], None)
        start, kind = plan["start"], plan["kind"]
        body = self.server.package[start:]
        if plan["refused"] and self.hung_up(1.0):
            return  # refused on its head, as it must be: none of its body goes on the wire
        if kind == "short_length":
            self.write_body(body[:plan["cut_at"]])
            self.wfile.flush()
            return  # a clean close, long before the announced end
        if kind in ("cut", "no_length_cut"):
            self.write_body(body[:plan["cut_at"]])
            time.sleep(0.3)  # let the client read what came before the line breaks
            return self.reset()
        if kind == "silence_body":
            self.write_body(body[:plan["cut_at"]])
            return self.hold()
        if kind == "drip":
            # A slow line that never falls silent for long: small pieces for about a second.
            at, until, gaps = 0, time.time() + plan["drip_seconds"], plan["drip_gaps"]
            while at < len(body) and time.time() < until:
                piece = body[at:at + 2048]
                if not self.write_body(piece):
                    return
                at += len(piece)
                time.sleep(gaps[(at // 2048) % len(gaps)])
            body = body[at:]
        if self.write_body(body):
            self.record["complete"] = kind in ("ok", "drip", "no_length", "range_ignored",
                                               "changed_validator")

    def range_start(self, size):
        wanted = self.headers.get("Range", "")
        if not wanted.startswith("bytes=") or not wanted.endswith("-"):
            return None
        try:
            first = int(wanted[len("bytes="):-1])
        except ValueError:
            return None
        return first if 0 < first < size else None

    def send_head(self, status, headers, length, body=b""):
        lines = ["HTTP/1.0 %d %s" % (status, self.responses.get(status, ("Status",))[0])]
        if length is not None:
            headers = list(headers) + [("Content-Length", str(len(body)))]
        for name, value in headers + [("Connection", "close")]:
            if self.seed_lower_case():
                name = name.lower()
            lines.append("%s: %s" % (name, value))
        try:
            self.wfile.write(("\r\n".join(lines) + "\r\n\r\n").encode("latin-1") + body)
            self.wfile.flush()
        except OSError:
            pass

    def seed_lower_case(self):
        seed = getattr(self, "seed", None)
        return seed is not None and seed.lower_case

    def write_body(self, data):
        """Writes the package bytes in pieces, counting them; false once the client is gone."""
        at = 0
        try:
            while at < len(data):
                piece = data[at:at + 65536]
                self.wfile.write(piece)
                at += len(piece)
                self.record["sent"] += len(piece)
            self.wfile.flush()
            return True
        except OSError:
            return False

    def hung_up(self, seconds):
        """Whether the client closes the line within `seconds`."""
        raw = socket.socket(fileno=os.dup(self.connection.fileno()))
        try:
            ready, _, _ = select.select([raw], [], [], seconds)
            return bool(ready)
        finally:
            raw.close()

    def hold(self):
        """Keeps the line open and silent until the client closes it (or a long bound)."""
        raw = socket.socket(fileno=os.dup(self.connection.fileno()))
        try:
            until = time.time() + self.server.hold_seconds
            while time.time() < until:
                ready, _, _ = select.select([raw], [], [], 0.2)
                if ready:
                    break
        finally:
            raw.close()
        self.close_connection = True

    def reset(self):
        # Drop the connection without a TLS close, as a broken network would.
        try:
            raw = socket.socket(fileno=os.dup(self.connection.fileno()))
            raw.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, b"\x01\x00\x00\x00\x00\x00\x00\x00")
            raw.close()
            self.connection.close()
        except OSError:
            pass
        self.close_connection = True


class FaultServer(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, port, cert, key, package, hold_seconds):
        super().__init__(("127.0.0.1", port), Handler)
        self.context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        self.context.load_cert_chain(cert, key)
        self.host = "localhost:%d" % port
        self.package = package
        self.hold_seconds = hold_seconds
        self.seeds = {}
        self.lock = threading.Lock()

    def get_request(self):
        sock, addr = super().get_request()
        return self.context.wrap_socket(sock, server_side=True, do_handshake_on_connect=False), addr

    def handle_error(self, request, client_address):
        pass

    def start(self):
        threading.Thread(target=self.serve_forever, daemon=True).start()
        return self

    def url(self, seed):
        return "https://%s/soak/%d/0/%s" % (self.host, seed, PACKAGE_NAME)

    def record(self, seed):
        with self.lock:
            return self.seeds.get(seed)
