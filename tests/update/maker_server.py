#!/usr/bin/env python3
"""The maker's web and update servers for the end-to-end update tests, and the proxy in front.

The program reaches the maker's host names only through the proxy of its update page, as a
user behind a proxy does: this script is that proxy. A CONNECT to one of the maker's names on
port 443 is joined to an HTTPS server of this script whose certificate (signed by the test
authority) names them; a GET with an absolute URI for one of them is answered by a plain HTTP
server with the same files. Anything else is refused (502). Files come from the document folder
that the tests write into:
  <path>        its bytes, with Content-Length and a Last-Modified header
  <path>.cut    holds a number N: the whole length is announced, N bytes are sent, then the
                connection closes (a connection lost in the middle of a file)
  <path>.slow   holds "chunk delay_ms": the file is sent in chunks with a pause before each
A missing file is answered with 404. Writes "maker_proxy=<port>" and "maker_root=<folder>" to
the output file once everything listens, and ends by itself after the time limit.
"""
import argparse
import http.server
import os
import select
import socket
import socketserver
import ssl
import sys
import threading
import time

MAKER_HOSTS = {"update.zarvent-benchmarks.net", "www.zarvent-benchmarks.net"}
LAST_MODIFIED = "Sun, 06 Nov 1994 08:49:37 GMT"


class FileHandler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "ZarventMaker/1.0"
    root = "."

    def log_message(self, fmt, *args):
        pass

    def head(self, status, length):
        self.send_response(status)
        self.send_header("Connection", "close")
        self.close_connection = True
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(length))
        if status == 200:
            self.send_header("Last-Modified", LAST_MODIFIED)
        self.end_headers()

    def do_GET(self):
        path = self.path.split("?", 1)[0]
        if "://" in path:
            path = "/" + path.split("://", 1)[1].split("/", 1)[-1]
        local = os.path.normpath(os.path.join(self.root, path.lstrip("/")))
        if not local.startswith(os.path.normpath(self.root)) or not os.path.isfile(local):
            body = b"<html><body>Not here.</body></html>"
            self.head(404, len(body))
            self.wfile.write(body)
            return
        with open(local, "rb") as f:
            body = f.read()
        try:
            if os.path.isfile(local + ".cut"):
                with open(local + ".cut") as f:
                    sent = int(f.read().strip() or "0")
                self.head(200, len(body))
                self.wfile.write(body[:sent])
                self.wfile.flush()
            elif os.path.isfile(local + ".slow"):
                with open(local + ".slow") as f:
                    chunk, delay = (int(x) for x in f.read().split())
                self.head(200, len(body))
                for i in range(0, len(body), chunk):
                    time.sleep(delay / 1000.0)
                    self.wfile.write(body[i:i + chunk])
                    self.wfile.flush()
            else:
                self.head(200, len(body))
                self.wfile.write(body)
        except OSError:
            pass


class FileServer(http.server.ThreadingHTTPServer):
    daemon_threads = True


def pipe(a, b):
    sockets = [a, b]
    try:
        while True:
            readable, _, _ = select.select(sockets, [], [], 120)
            if not readable:
                return
            for s in readable:
                data = s.recv(65536)
                if not data:
                    return
                (b if s is a else a).sendall(data)
    except OSError:
        return
    finally:
        for s in sockets:
            try:
                s.close()
            except OSError:
                pass


class ProxyHandler(socketserver.BaseRequestHandler):
    https_port = 0
    http_port = 0

    def handle(self):
        client = self.request
        head = b""
        while b"\r\n\r\n" not in head:
            data = client.recv(4096)
            if not data:
                return
            head += data
            if len(head) > 65536:
                return
        line = head.split(b"\r\n", 1)[0].decode("latin-1")
        parts = line.split()
        if len(parts) < 3:
            return
        method, target = parts[0].upper(), parts[1]
        if method == "CONNECT":
            host, _, port = target.rpartition(":")
            if host.lower() in MAKER_HOSTS and port == "443":
                upstream = socket.create_connection(("127.0.0.1", self.https_port))
                client.sendall(b"HTTP/1.1 200 Connection established\r\n\r\n")
                rest = head.split(b"\r\n\r\n", 1)[1]
                if rest:
                    upstream.sendall(rest)
                pipe(client, upstream)
                return
        elif "://" in target:
            host = target.split("://", 1)[1].split("/", 1)[0].split(":", 1)[0].lower()
            if host in MAKER_HOSTS:
                upstream = socket.create_connection(("127.0.0.1", self.http_port))
                upstream.sendall(head)
                pipe(client, upstream)
                return
        client.sendall(b"HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\nConnection: close\r\n\r\n")


class ProxyServer(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = False


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--cert", required=True)
    parser.add_argument("--key", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--limit", type=float, default=1800)
    args = parser.parse_args()
    FileHandler.root = os.path.abspath(args.root)

    https = FileServer(("127.0.0.1", 0), FileHandler)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(args.cert, args.key)
    https.socket = context.wrap_socket(https.socket, server_side=True)
    plain = FileServer(("127.0.0.1", 0), FileHandler)
    ProxyHandler.https_port = https.server_address[1]
    ProxyHandler.http_port = plain.server_address[1]
    proxy = ProxyServer(("127.0.0.1", 0), ProxyHandler)
    for server in (https, plain, proxy):
        threading.Thread(target=server.serve_forever, daemon=True).start()
    with open(args.out + ".tmp", "w") as f:
        f.write("maker_proxy=%d\nmaker_root=%s\n" % (proxy.server_address[1], FileHandler.root))
    os.replace(args.out + ".tmp", args.out)
    time.sleep(args.limit)
    sys.exit(0)


if __name__ == "__main__":
    main()
