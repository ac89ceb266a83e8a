#!/usr/bin/env python3
"""A web map server for the tests, on a loopback address only.

  http_test_server.py [--bind 127.0.0.1|::1] [--tls CERT KEY] [--colour RRGGBB]
  http_test_server.py --proxy TARGET_PORT [--bind ...]

It listens on a free port, prints "PORT <n>" on its first line and then one
line per request ("GET <path>", or "PROXY GET <url>" as a proxy), and serves
until it is killed. HTTP/1.1 with keep-alive.

Paths:
  /png, /wms         a PNG of one colour, WIDTH x HEIGHT (query, any case;
                     w and h also), 64 x 48 by default
  /noise?bytes=N     a PNG of about N bytes that does not compress (the same
                     bytes every time for the same N)
  /chunked           the PNG of /png sent in chunks, without a length
  /gzip              the PNG of /png, gzip-encoded when the client takes it
  /big?bytes=N       N bytes of PNG-looking data in chunks, without a length
  /301, /302         a redirect to /png (query kept)
  /loop              a redirect to itself
  /redirect?to=URL   a redirect to URL
  /silent            takes the request and never answers
  /500               status 500 with an HTML page
  /xml               status 200 with a service exception in XML
  /html              status 200 with an HTML page
As a proxy it takes absolute addresses, whatever their host, and fetches the
path from the server on 127.0.0.1:TARGET_PORT.
"""
import argparse
import gzip
import http.client
import http.server
import random
import socket
import ssl
import struct
import sys
import threading
import time
import urllib.parse
import zlib


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png_of_rows(width, height, raw, level):
    """A PNG of 8-bit RGB rows, each with its filter byte, compressed at level."""
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, level)) + chunk(b"IEND", b""))


def png(width, height, rgb, level=9):
    return png_of_rows(width, height, (b"\x00" + bytes(rgb) * width) * height, level)


_noise = {}


def noise_png(size):
    if size not in _noise:
        width = 1024
        height = max(1, size // (3 * width))
        rng = random.Random(size)
        raw = b"".join(b"\x00" + rng.randbytes(3 * width) for _ in range(height))
        _noise[size] = png_of_rows(width, height, raw, 0)
    return _noise[size]


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    colour = (10, 200, 30)
    target_port = 0

    def log_message(self, *args):
        pass

    def say(self, line):
        sys.stdout.write(line + "\n")
        sys.stdout.flush()

    def send(self, status, kind, body, headers=()):
        self.send_response(status)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)

    def send_chunked(self, kind, body, piece=4096):
        self.send_response(200)
        self.send_header("Content-Type", kind)
        self.send_header("Transfer-Encoding", "chunked")
        self.end_headers()
        for i in range(0, len(body), piece):
            part = body[i:i + piece]
            self.wfile.write(b"%x\r\n%s\r\n" % (len(part), part))
        self.wfile.write(b"0\r\n\r\n")

    def redirect(self, status, location):
        self.send_response(status)
        self.send_header("Location", location)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def do_GET(self):
        if self.target_port:
            return self.proxy()
        self.say("GET " + self.path)
        url = urllib.parse.urlsplit(self.path)
        query = {k.lower(): v[0] for k, v in urllib.parse.parse_qs(url.query).items()}
        path = url.path
        if path in ("/png", "/wms", "/chunked", "/gzip"):
            width = int(query.get("width", query.get("w", 64)))
            height = int(query.get("height", query.get("h", 48)))
            picture = png(width, height, self.colour)
            if path == "/chunked":
                return self.send_chunked("image/png", picture, 64)
            if path == "/gzip" and "gzip" in self.headers.get("Accept-Encoding", ""):
                return self.send(200, "image/png", gzip.compress(picture), [("Content-Encoding", "gzip")])
            return self.send(200, "image/png", picture)
        if path == "/noise":
            return self.send(200, "image/png", noise_png(int(query.get("bytes", 1 << 20))))
        if path == "/big":
            size = int(query.get("bytes", 1 << 20))
            head = png(8, 8, self.colour)
            return self.send_chunked("image/png", head + b"\x00" * max(0, size - len(head)), 65536)
        if path in ("/301", "/302"):
            return self.redirect(int(path[1:]), "/png" + ("?" + url.query if url.query else ""))
        if path == "/loop":
            return self.redirect(302, "/loop")
        if path == "/redirect":
            return self.redirect(302, query["to"])
        if path == "/silent":
            time.sleep(3600)
            return
        if path == "/500":
            page = b"<html><head><title>Error</title></head><body><h1>Internal Server Error</h1>" \
                   b"<p>The layer roads is not served here</p></body></html>"
            return self.send(500, "text/html", page)
        if path == "/xml":
            report = b'<?xml version="1.0"?>\n<ServiceExceptionReport><ServiceException code="LayerNotDefined">' \
                     b"Layer roads is not defined</ServiceException></ServiceExceptionReport>"
            return self.send(200, "application/vnd.ogc.se_xml", report)
        if path == "/html":
            return self.send(200, "text/html", b"<html><body><p>Please log in first</p></body></html>")
        self.send(404, "text/plain", b"no such path")

    def proxy(self):
        self.say("PROXY GET " + self.path)
        url = urllib.parse.urlsplit(self.path)
        path = url.path + ("?" + url.query if url.query else "")
        upstream = http.client.HTTPConnection("127.0.0.1", self.target_port, timeout=30)
        upstream.request("GET", path)
        answer = upstream.getresponse()
        body = answer.read()
        kind = answer.getheader("Content-Type", "application/octet-stream")
        self.send(answer.status, kind, body)
        upstream.close()


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def handle_error(self, request, client_address):
        # A client that hangs up early (a refused or cut-off transfer) is
        # what some tests do; anything else is told.
        error = sys.exc_info()[1]
        if not isinstance(error, (BrokenPipeError, ConnectionResetError, ssl.SSLError)):
            super().handle_error(request, client_address)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bind", default="127.0.0.1")
    parser.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"))
    parser.add_argument("--colour", default="0AC81E")
    parser.add_argument("--proxy", type=int, default=0)
    args = parser.parse_args()
    if args.bind not in ("127.0.0.1", "::1", "localhost"):
        sys.exit("loopback addresses only")
    Handler.colour = tuple(bytes.fromhex(args.colour))
    Handler.target_port = args.proxy
    Server.address_family = socket.AF_INET6 if ":" in args.bind else socket.AF_INET
    server = Server((args.bind, 0), Handler)
    if args.tls:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.tls[0], args.tls[1])
        server.socket = context.wrap_socket(server.socket, server_side=True)
    print("PORT %d" % server.server_address[1], flush=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    # Ends with its parent: the test closes the standard input.
    sys.stdin.read()


if __name__ == "__main__":
    main()
