#!/usr/bin/env python3
"""Test HTTP(S) server on 127.0.0.1 and a free port; prints the port, then serves.

Reads requests byte for byte so tests can check the exact header block sent.
Usage: http_test_server.py [--tls CERT KEY]
Paths:
  /echo...             200, body = the request head as received + the request body
  /cookies             200, sets sid and theme, body = the Cookie line received
  /redirect/N          302 to /redirect/N-1; /redirect/0 answers "arrived"
  /moved               301 to /echo
  /to?URL              302 to URL
  /status/CODE         that status with body "status CODE"
  /bigheaders/N        200 with a filler header of N bytes
HEAD gets the headers of the same answer without the body.
"""
import socketserver
import ssl
import sys


class Handler(socketserver.StreamRequestHandler):
    def handle(self):
        while self.one_request():
            pass

    def one_request(self):
        head = b""
        while True:
            line = self.rfile.readline(65537)
            if not line:
                return False
            head += line
            if line in (b"\r\n", b"\n"):
                break
        request_line = head.split(b"\r\n", 1)[0].decode("latin-1")
        verb, target = request_line.split(" ")[0:2]
        length = 0
        for line in head.split(b"\r\n")[1:]:
            name, _, value = line.partition(b":")
            if name.strip().lower() == b"content-length":
                length = int(value.strip())
        body = self.rfile.read(length) if length else b""
        status, headers, payload = self.answer(target, head, body)
        out = ("HTTP/1.1 %s\r\n" % status).encode()
        for name, value in headers + [("Content-Length", str(len(payload)))]:
            out += ("%s: %s\r\n" % (name, value)).encode("latin-1")
        out += b"\r\n"
        if verb != "HEAD":
            out += payload
        self.wfile.write(out)
        self.wfile.flush()
        return True

    def answer(self, target, head, body):
        if target.startswith("/echo"):
            return "200 OK", [], head + body
        if target == "/cookies":
            cookie = b""
            for line in head.split(b"\r\n"):
                if line.lower().startswith(b"cookie:"):
                    cookie = line
            return "200 OK", [("Set-Cookie", "sid=abc; Path=/; HttpOnly"),
                              ("Set-Cookie", "theme=dark")], cookie
        if target.startswith("/redirect/"):
            left = int(target.rsplit("/", 1)[1])
            if left == 0:
                return "200 OK", [], b"arrived"
            return "302 Found", [("Location", "/redirect/%d" % (left - 1))], b"moving on"
        if target == "/moved":
            return "301 Moved Permanently", [("Location", "/echo")], b"moved"
        if target.startswith("/to?"):
            return "302 Found", [("Location", target[4:])], b"elsewhere"
        if target.startswith("/status/"):
            code = target.rsplit("/", 1)[1]
            return code + " Whatever", [], ("status " + code).encode()
        if target.startswith("/bigheaders/"):
            size = int(target.rsplit("/", 1)[1])
            return "200 OK", [("X-Filler", "f" * size)], b"big"
        return "404 Not Found", [], b"no such path"


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    server = Server(("127.0.0.1", 0), Handler)
    if len(sys.argv) == 4 and sys.argv[1] == "--tls":
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(sys.argv[2], sys.argv[3])
        server.socket = context.wrap_socket(server.socket, server_side=True)
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
