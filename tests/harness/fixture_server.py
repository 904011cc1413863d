#!/usr/bin/env python3
"""HTTPS fixture servers for the Windows and end-to-end tiers.

One process serves several roles, each on its own 127.0.0.1 port:
  dist  - the distribution server: the setup package at /cumulo/Cumulo_setup_offline.exe
  stat  - the statistics endpoint: 200 for /update
  terms - the terms-of-use pages: a small HTML page for any path
Every request (except control requests) is recorded. Answers can be scripted per
path through the control API on any port:
  POST /__control/script   {"path": "/x", "responses": [ {...}, ... ]}
  GET  /__control/requests            recorded requests of this port, as JSON
  POST /__control/reset               forget records and scripts of this port
A scripted response is a JSON object; every field is optional:
  status (200), reason, headers ([[name, value], ...], sent verbatim and in order),
  content_length ("auto" by default, null to omit, or any text to send verbatim),
  body (text), body_size (bytes of a repeating pattern), body_file (a path),
  cut_after (end the connection after that many body bytes, once the client has read
  them), delay (seconds before answering),
  repeat (how many requests this answer serves, 1 by default),
  ranges (true: a request with "Range: bytes=N-" gets a 206 with the rest of the body,
  unless its If-Range differs from the answer's ETag header, which gets the whole body;
  a range past the end gets 416),
  drop_on_206 (header names left out of such a 206, say ["ETag"]),
  lower_case_names (true: every header name is written in lower case),
  stall_after (after that many body bytes, send nothing more and hold the line open for
  stall_for seconds, 120 by default, then close it without a TLS close).
Each record carries "sent": the body bytes written to the socket for that request.
"""
import argparse
import json
import os
import select
import socket
import ssl
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import urlsplit

PATTERN = bytes(range(256)) * 256  # 64 KiB, the body_size pattern


class Role:
    def __init__(self, name, package):
        self.name = name
        self.package = package
        self.lock = threading.Lock()
        self.records = []
        self.scripts = {}

    def next_scripted(self, path):
        with self.lock:
            queue = self.scripts.get(path)
            if not queue:
                return None
            answer = queue[0]
            left = answer.get("repeat", 1) - 1
            if left <= 0:
                queue.pop(0)
            else:
                answer["repeat"] = left
            return dict(answer)

    def default_answer(self, path):
        if self.name == "dist" and path == "/cumulo/Cumulo_setup_offline.exe":
            if self.package and os.path.exists(self.package):
                return {"status": 200, "body_file": self.package,
                        "headers": [["Content-Type", "application/octet-stream"]]}
            return {"status": 404, "body": "no package"}
        if self.name == "stat" and path == "/update":
            return {"status": 200, "body": ""}
        if self.name == "terms":
            return {"status": 200, "body": "<html><body>Terms</body></html>",
                    "headers": [["Content-Type", "text/html"]]}
        return {"status": 404, "body": "not found"}


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"
    server_version = "CumuloFixture/1.0"

    def log_message(self, fmt, *args):
        sys.stderr.write("%s %s\n" % (self.server.role.name, fmt % args))

    def do_GET(self):
        self.handle_any()

    def do_POST(self):
        self.handle_any()

    def do_HEAD(self):
        self.handle_any()

    def handle_any(self):
        role = self.server.role
        parts = urlsplit(self.path)
        if parts.path.startswith("/__control/"):
            return self.control(role, parts.path)
        record = {
                "time": time.time(),
                "method": self.command,
                "request_line": self.requestline,
                "version": self.request_version,
                "path": parts.path,
                "query": parts.query,
                "target": self.path,
                "headers": [[k, v] for k, v in self.headers.items()],
                "sent": 0,
        }
        with role.lock:
            role.records.append(record)
        answer = role.next_scripted(parts.path) or role.default_answer(parts.path)
        self.answer(answer, record)

    def control(self, role, path):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length else b""
        if path == "/__control/requests":
            with role.lock:
                payload = json.dumps(role.records).encode()
            return self.answer({"status": 200, "body_bytes": payload,
                                "headers": [["Content-Type", "application/json"]]})
        if path == "/__control/reset":
            with role.lock:
                role.records.clear()
                role.scripts.clear()
            return self.answer({"status": 200, "body": "ok"})
        if path == "/__control/script":
            spec = json.loads(body or b"{}")
            with role.lock:
                role.scripts.setdefault(spec["path"], []).extend(spec.get("responses", []))
            return self.answer({"status": 200, "body": "ok"})
        return self.answer({"status": 404, "body": "unknown control"})

    def requested_range(self, a, size):
        """(status, first byte) for a ranged answer: 200 from 0, 206 from N, or 416."""
        if not a.get("ranges"):
            return None, 0
        wanted = self.headers.get("Range", "")
        if not wanted.startswith("bytes=") or not wanted.endswith("-"):
            return None, 0
        etag = next((v for k, v in a.get("headers", []) if k.lower() == "etag"), None)
        condition = self.headers.get("If-Range")
        if condition is not None and condition != etag:
            return None, 0
        try:
            first = int(wanted[len("bytes="):-1])
        except ValueError:
            return None, 0
        return (206, first) if first < size else (416, 0)

    def answer(self, a, record=None):
        if a.get("delay"):
            time.sleep(float(a["delay"]))
        status = int(a.get("status", 200))
        if "body_bytes" in a:
            body, size = a["body_bytes"], len(a["body_bytes"])
        elif "body_file" in a:
            body, size = None, os.path.getsize(a["body_file"])
        elif "body_size" in a:
            body, size = None, int(a["body_size"])
        else:
            body = a.get("body", "").encode()
            size = len(body)
        ranged, start = self.requested_range(a, size)
        extra = []
        if ranged == 206:
            status = 206
            extra.append("Content-Range: bytes %d-%d/%d" % (start, size - 1, size))
        elif ranged == 416:
            extra.append("Content-Range: bytes */%d" % size)
            status, body, size = 416, b"", 0
        reason = a.get("reason") or self.responses.get(status, ("Status",))[0]
        head = ["HTTP/1.0 %d %s" % (status, reason)]
        dropped = [n.lower() for n in a.get("drop_on_206", [])] if ranged == 206 else []
        for name, value in a.get("headers", []):
            if name.lower() not in dropped:
                head.append("%s: %s" % (name, value))
        head.extend(extra)
        cl = a.get("content_length", "auto")
        if cl == "auto":
            head.append("Content-Length: %d" % (size - start))
        elif cl is not None:
            head.append("Content-Length: %s" % cl)
        head.append("Connection: close")
        if a.get("lower_case_names"):
            head = head[:1] + [line.split(":", 1)[0].lower() + ":" + line.split(":", 1)[1]
                               for line in head[1:]]
        try:
            self.wfile.write(("\r\n".join(head) + "\r\n\r\n").encode("latin-1"))
            if self.command == "HEAD":
                return
            limit = a.get("cut_after")
            stall = a.get("stall_after")
            sent = 0
            for chunk in self.chunks(a, body, size, start):
                if stall is not None and sent + len(chunk) > stall:
                    chunk = chunk[: max(0, stall - sent)]
                    self.wfile.write(chunk)
                    self.wfile.flush()
                    self.count_sent(record, len(chunk))
                    # Silent with the line open, as a stuck front end is; the client ends it.
                    self.wait_for_close(float(a.get("stall_for", 120)))
                    self.cut()
                    return
                if limit is not None and sent + len(chunk) > limit:
                    chunk = chunk[: max(0, limit - sent)]
                    self.wfile.write(chunk)
                    self.wfile.flush()
                    self.count_sent(record, len(chunk))
                    self.cut()
                    return
                self.wfile.write(chunk)
                sent += len(chunk)
                self.count_sent(record, len(chunk))
            self.wfile.flush()
        except (BrokenPipeError, ConnectionResetError, ssl.SSLError, OSError):
            pass

    def count_sent(self, record, n):
        if record is not None:
            with self.server.role.lock:
                record["sent"] += n

    def chunks(self, a, body, size, start=0):
        if body is not None:
            yield body[start:]
        elif "body_file" in a:
            with open(a["body_file"], "rb") as f:
                f.seek(start)
                while True:
                    data = f.read(1 << 16)
                    if not data:
                        return
                    yield data
        else:
            at = start
            while at < size:
                offset = at % 256
                n = min(size - at, len(PATTERN) - offset)
                yield PATTERN[offset:offset + n]
                at += n

    def wait_for_close(self, seconds):
        """Sleeps until the client closes the line or `seconds` pass, reading nothing."""
        end = time.time() + seconds
        sock = self.connection
        while time.time() < end:
            ready, _, _ = select.select([sock], [], [], min(1.0, max(0.0, end - time.time())))
            if ready:
                try:
                    if not sock.recv(1):
                        return
                except (ssl.SSLError, OSError, ValueError):
                    return

    def cut(self):
        # Drop the connection without a TLS close, as a broken network would. A reset
        # discards what the client has not read yet, so the stream ends first: the client
        # reads every byte sent, meets the end, and lets go; then the reset.
        try:
            sock = self.connection
            raw = socket.socket(fileno=os.dup(sock.fileno()))
            raw.shutdown(socket.SHUT_WR)
            raw.settimeout(30)
            try:
                while raw.recv(1 << 16):
                    pass
            except OSError:
                pass
            raw.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, b"\x01\x00\x00\x00\x00\x00\x00\x00")
            raw.close()
            sock.close()
        except OSError:
            pass
        self.close_connection = True


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, port, role, context):
        super().__init__(("127.0.0.1", port), Handler)
        self.role = role
        self.context = context

    def get_request(self):
        sock, addr = super().get_request()
        # The handshake happens in the handler's thread, so a slow client stalls nobody.
        return self.context.wrap_socket(sock, server_side=True, do_handshake_on_connect=False), addr

    def handle_error(self, request, client_address):
        pass


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--cert", required=True)
    ap.add_argument("--key", required=True)
    ap.add_argument("--listen", action="append", default=[], help="role=port")
    ap.add_argument("--package", default="")
    ap.add_argument("--ready", default="")
    args = ap.parse_args()
    ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    ctx.load_cert_chain(args.cert, args.key)
    servers = []
    for item in args.listen:
        name, port = item.split("=")
        srv = Server(int(port), Role(name, args.package), ctx)
        threading.Thread(target=srv.serve_forever, daemon=True).start()
        servers.append(srv)
    if args.ready:
        with open(args.ready, "w") as f:
            f.write("ready\n")
    try:
        while True:
            time.sleep(3600)
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
