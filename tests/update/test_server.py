#!/usr/bin/env python3
"""HTTP and HTTPS test server for the transfer engine's tests (standard library only).

Serves on 127.0.0.1 with ports the system picks: plain HTTP, HTTPS with a certificate of the
trusted test authority, and HTTPS with a certificate of an authority nobody trusts. Writes
"name=port" lines to the ports file once every server listens, and ends by itself after the
time limit.

Paths (query parameters in brackets):
  /file[size,seed]          size bytes of a fixed pattern, with Content-Length
  /date/1 /date/2 /date/3   a small body whose Last-Modified uses each of the three date forms
  /missing                  404 with an error page
  /secret[realm]            401 with realm "Zarvent updates" (or the one asked for) unless the
                            Basic credentials are zarvent / letmein
  /short[size,sent]         announces size bytes, sends sent bytes, closes
  /reset[size,sent,nolength,wait]  announces size bytes (or no length), sends sent bytes,
                            waits for /release?id=<wait> when asked to, resets the connection
  /release[id]              lets the /reset waiting for id go on
  /stall[size,sent,nolength,seconds]  sends sent bytes, then nothing for a while
  /nolength[size]           no Content-Length; the body ends when the connection closes
  /slow[size,chunk,delay]   sends in chunks with a pause (milliseconds) before each
  /large[size]              a large body sent as fast as the socket takes it
  /echo                     the request line and headers as the body
  /garbage                  answers bytes that are no HTTP, then closes
  /silent                   closes without answering
  /content/<hex>            the bytes written in hexadecimal (an update information file)
Parameters may also follow the path as ";name:value" parts, and a "/file-name" after them is
ignored (an update information file cuts its URLs at the first "=", and names the downloaded
file after the URL's last part): /file;size:5000;seed:2/quorvel.dat
"""
import argparse
import http.server
import os
import socket
import ssl
import struct
import sys
import threading
import time
import urllib.parse

REALM = "Zarvent updates"
CREDENTIALS = "Basic " + __import__("base64").b64encode(b"zarvent:letmein").decode()
DATES = {
    "1": "Sun, 06 Nov 1994 08:49:37 GMT",
    "2": "Sunday, 06-Nov-94 08:49:37 GMT",
    "3": "Sun Nov  6 08:49:37 1994",
}


def pattern(size, seed=0):
    block = bytes((i * 7 + seed) % 251 for i in range(251 * 16))
    reps = size // len(block) + 1
    return (block * reps)[:size]


BLOCK = pattern(1 << 20)
RELEASES = {}
RELEASES_LOCK = threading.Lock()


def release(name):
    with RELEASES_LOCK:
        return RELEASES.setdefault(name, threading.Event())


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "ZarventTest/1.0"

    def log_message(self, fmt, *args):
        pass

    def query(self):
        url = urllib.parse.urlsplit(self.path)
        values = {k: v[-1] for k, v in urllib.parse.parse_qs(url.query).items()}
        path, *parts = url.path.split(";")
        for part in parts:
            name, _, value = part.partition(":")
            values[name] = value.split("/")[0]
        return path, values

    def head(self, status, length=None, ctype="application/octet-stream", extra=()):
        self.send_response(status)
        # One request per connection: Wine's pool of kept-alive connections would otherwise
        # carry a request that should go through the proxy straight to the server.
        self.send_header("Connection", "close")
        self.close_connection = True
        self.send_header("Content-Type", ctype)
        if length is not None:
            self.send_header("Content-Length", str(length))
        for name, value in extra:
            self.send_header(name, value)
        self.end_headers()

    def do_GET(self):
        path, q = self.query()
        size = int(q.get("size", "1000"))
        if path == "/file":
            body = pattern(size, int(q.get("seed", "0")))
            self.head(200, len(body), extra=[("Last-Modified", DATES["1"])])
            self.wfile.write(body)
        elif path.startswith("/date/") and path[6:] in DATES:
            body = b"dated body"
            self.head(200, len(body), "text/plain", [
                ("Last-Modified", DATES[path[6:]]), ("Expires", DATES["1"]),
                ("Content-Language", "en"), ("ETag", '"v2.4"')])
            self.wfile.write(body)
        elif path == "/secret":
            realm = q.get("realm", REALM)
            if self.headers.get("Authorization") == CREDENTIALS:
                body = b"the secret update"
                self.head(200, len(body), "text/plain")
            else:
                body = b"<html><body>Credentials, please.</body></html>"
                self.head(401, len(body), "text/html",
                          [("WWW-Authenticate", 'Basic realm="%s"' % realm)])
            self.wfile.write(body)
        elif path in ("/short", "/reset"):
            sent = int(q.get("sent", "300"))
            self.head(200, None if q.get("nolength") else size)
            self.wfile.write(pattern(sent))
            self.wfile.flush()
            if path == "/reset":
                # The reset waits until the client says it has the headers: a reset that
                # overtakes them would throw away what the client had not read yet.
                if "wait" in q:
                    event = release(q["wait"])
                    event.wait(30)
                    event.clear()
                self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER,
                                           struct.pack("ii", 1, 0))
            self.close_connection = True
        elif path == "/stall":
            self.head(200, None if q.get("nolength") else size)
            self.wfile.write(pattern(int(q.get("sent", "3000"))))
            self.wfile.flush()
            time.sleep(float(q.get("seconds", "20")))
            self.close_connection = True
        elif path == "/release":
            release(q.get("id", "")).set()
            self.head(200, 2, "text/plain")
            self.wfile.write(b"ok")
        elif path == "/nolength":
            self.head(200, None)
            self.wfile.write(pattern(size))
            self.close_connection = True
        elif path == "/slow":
            chunk = int(q.get("chunk", "1000"))
            delay = int(q.get("delay", "100")) / 1000.0
            self.head(200, size)
            sent = 0
            try:
                while sent < size:
                    time.sleep(delay)
                    part = pattern(min(chunk, size - sent), sent % 251)
                    self.wfile.write(part)
                    self.wfile.flush()
                    sent += len(part)
            except OSError:
                self.close_connection = True
        elif path == "/large":
            self.head(200, size)
            left = size
            view = memoryview(BLOCK)
            while left > 0:
                n = min(left, len(BLOCK))
                self.wfile.write(view[:n])
                left -= n
        elif path.startswith("/content/"):
            try:
                body = bytes.fromhex(path[len("/content/"):])
            except ValueError:
                body = None
            if body is None:
                self.head(400, 0)
            else:
                self.head(200, len(body), "text/plain")
                self.wfile.write(body)
        elif path == "/redirect":
            # /redirect?to=<address>: a redirect, for the refusal of one from https to http.
            self.head(302, 0, extra=[("Location", q.get("to", "/"))])
        elif path == "/echo":
            body = (self.requestline + "\r\n" + str(self.headers)).encode("latin-1")
            self.head(200, len(body), "text/plain")
            self.wfile.write(body)
        elif path == "/garbage":
            self.wfile.write(b"\x00\x01this is no answer\xff\r\n\r\n")
            self.close_connection = True
        elif path == "/silent":
            self.close_connection = True
        else:
            body = b"<html><body><h1>Not Found</h1>No such update here.</body></html>"
            self.head(404, len(body), "text/html")
            self.wfile.write(body)


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = False
    request_queue_size = 64


def serve(context=None):
    server = Server(("127.0.0.1", 0), Handler)
    if context is not None:
        server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server.server_address[1]


def tls(cert, key):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    return context


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--ports", required=True)
    parser.add_argument("--certs", required=True, help="folder with server.pem/key, unknown.pem/key")
    parser.add_argument("--limit", type=float, default=900)
    args = parser.parse_args()
    lines = ["http=%d" % serve()]
    lines.append("https=%d" % serve(tls(os.path.join(args.certs, "server.pem"),
                                        os.path.join(args.certs, "server.key"))))
    lines.append("https_unknown=%d" % serve(tls(os.path.join(args.certs, "unknown.pem"),
                                                os.path.join(args.certs, "unknown.key"))))
    temp = args.ports + ".part"
    with open(temp, "w") as f:
        f.write("\n".join(lines) + "\n")
    os.replace(temp, args.ports)
    time.sleep(args.limit)
    sys.stdout.flush()
    os._exit(0)


if __name__ == "__main__":
    main()
