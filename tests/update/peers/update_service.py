#!/usr/bin/env python3
# tests/update/peers/update_service.py — a scripted update service for the update-check tests, on 127.0.0.1 only.
#
# The request target's path picks the answer (a target in the absolute form a client sends to a proxy is read the
# same way), so one server plays every behaviour a test needs:
#   /echo...        200, the body is the request exactly as it arrived (its bytes up to a pause of 300 ms)
#   /check...       the update service: the POST body "product=<identification>" (blanks as %20), or
#                   "program=<name>" or "language=<name>", is looked up in the firmware file (lines
#                   "identification;version;third", the identification without trailing blanks, or
#                   "@identification|answer" for an answer of any shape); an unknown one gets
#                   "<identification>;0.00;N/A"
#   /firmware/<name> 200 with a firmware file: FIRMWARE_LENGTH bytes, byte i being (i + len(name)) % 251
#   /steady/<name>  the same pattern over STEADY_LENGTH bytes, sent slowly but steadily: STEADY_PIECE bytes at a
#                   time, STEADY_PAUSE seconds apart
#   /status/<code>  that status with a reason phrase and no body
#   /malformed      200 with a body that names no drive
#   /nolength       200 with a body but no Content-Length line
#   /lowercase      200 with "content-length: " in lower case
#   /zero           200 whose 9-byte body holds a zero byte after "abc"
#   /cut            200 announcing 10 bytes, sends 6, then closes
#   /close          closes without a status line
#   /silent         reads the request and never answers (until the client goes or the server ends)
#   /slow/<ms>      waits that long, then answers as /check does
#   /longheader     a 200 header of more than 4096 bytes
#   /biglength      200 announcing 2,000,000,000 bytes, sends 5, then waits
#   /stall          200 announcing 1000 bytes, sends 5, then waits
# Every request is also appended to the log file (if given) as "<length>\n<bytes>\n".
#
# usage: update_service.py --port-file FILE [--firmware FILE] [--log FILE] [--lifetime SECONDS]
# The chosen port is written to the port file once the server listens. The server ends by itself after the
# lifetime (default 300 s), so a test that dies cannot leave it behind for long.
import argparse
import os
import socket
import socketserver
import sys
import threading
import time
import urllib.parse
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
from loopback_service import LoopbackServer, announced_length, serve  # noqa: E402

FIRMWARE_LENGTH = 1200000
STEADY_LENGTH = 3 * 1024 * 1024
STEADY_PIECE = 64 * 1024
STEADY_PAUSE = 0.04

REASONS = {200: "OK", 302: "Found", 404: "Not Found", 407: "Proxy Authentication Required",
           500: "Internal Server Error", 503: "Service Unavailable"}


def read_request(conn):
    """The request's bytes: the header, the body its Content-Length announces, and whatever follows within 300 ms."""
    data = b""
    conn.settimeout(10)
    while b"\r\n\r\n" not in data:
        chunk = conn.recv(4096)
        if not chunk:
            return data
        data += chunk
    head, _, rest = data.partition(b"\r\n\r\n")
    length = announced_length(head)
    while len(rest) < length:
        chunk = conn.recv(4096)
        if not chunk:
            break
        rest += chunk
        data += chunk
    conn.settimeout(0.3)
    try:
        while True:
            chunk = conn.recv(4096)
            if not chunk:
                break
            data += chunk
    except socket.timeout:
        pass
    conn.settimeout(10)
    return data


def target_path(request):
    line = request.split(b"\r\n", 1)[0].decode("latin-1")
    parts = line.split(" ")
    target = parts[1] if len(parts) > 1 else "/"
    if "://" in target:
        target = target.split("://", 1)[1]
        slash = target.find("/")
        target = target[slash:] if slash >= 0 else "/"
    return target


def request_target_name(request):
    """The last piece of the target's path, letter case kept."""
    return target_path(request).split("?")[0].rsplit("/", 1)[-1]


def request_body(request):
    head, _, rest = request.partition(b"\r\n\r\n")
    return rest.decode("latin-1")


def file_bytes(name, length):
    """Byte i is (i + len(name)) % 251: the cycle of 251 bytes repeated."""
    start = len(name) % 251
    cycle = bytes(range(start, 251)) + bytes(range(start))
    return (cycle * (length // 251 + 1))[:length]


def answer(status, body=b"", length=True, extra=b""):
    head = "HTTP/1.0 %d %s\r\n" % (status, REASONS.get(status, "Status"))
    head = head.encode("latin-1") + b"Server: update-service\r\n" + extra
    if length:
        head += b"Content-Length: %d\r\n" % len(body)
    return head + b"\r\n" + body


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        conn = self.request
        try:
            request = read_request(conn)
        except OSError:
            return
        self.server.record(request)
        if not request:
            return
        path = target_path(request).lower()
        try:
            self.respond(conn, path, request)
        except OSError:
            pass

    def check_answer(self, request):
        body = request_body(request)
        product = ""
        for field in body.split("&"):
            for name in ("product=", "program=", "language="):
                if field.startswith(name):
                    product = urllib.parse.unquote(field[len(name):].strip("\r\n"))
        ident = product.strip()
        line = self.server.firmware.get(ident, "%s;0.00;N/A" % ident)
        return answer(200, line.encode("latin-1"))

    def respond(self, conn, path, request):
        if path.startswith("/echo"):
            conn.sendall(answer(200, request))
        elif path.startswith("/check"):
            conn.sendall(self.check_answer(request))
        elif path.startswith("/firmware/"):
            name = urllib.parse.unquote(request_target_name(request))
            conn.sendall(answer(200, file_bytes(name, FIRMWARE_LENGTH)))
        elif path.startswith("/steady/"):
            data = answer(200, file_bytes(urllib.parse.unquote(request_target_name(request)), STEADY_LENGTH))
            for start in range(0, len(data), STEADY_PIECE):
                if start > 0:
                    time.sleep(STEADY_PAUSE)
                conn.sendall(data[start:start + STEADY_PIECE])
        elif path.startswith("/status/"):
            code = int(path[len("/status/"):].split("?")[0].split("/")[0] or "500")
            conn.sendall(answer(code, length=False))
        elif path.startswith("/malformed"):
            conn.sendall(answer(200, b"<html>maintenance</html>"))
        elif path.startswith("/nolength"):
            conn.sendall(answer(200, b"QZ;9.99;N/A", length=False))
        elif path.startswith("/lowercase"):
            conn.sendall(answer(200, length=False, extra=b"content-length: 11\r\n") + b"QZ;9.99;N/A")
        elif path.startswith("/zero"):
            conn.sendall(answer(200, b"abc\0defgh"))
        elif path.startswith("/cut"):
            conn.sendall(answer(200, length=False, extra=b"Content-Length: 10\r\n") + b"123456")
        elif path.startswith("/close"):
            pass
        elif path.startswith("/silent"):
            self.wait_for_close(conn, 120)
        elif path.startswith("/slow/"):
            time.sleep(int(path[len("/slow/"):].split("?")[0].split("/")[0]) / 1000.0)
            conn.sendall(self.check_answer(request))
        elif path.startswith("/longheader"):
            conn.sendall(answer(200, b"x", extra=b"X-Filler: " + b"f" * 5000 + b"\r\n"))
        elif path.startswith("/biglength"):
            conn.sendall(answer(200, length=False, extra=b"Content-Length: 2000000000\r\n") + b"12345")
            self.wait_for_close(conn, 60)
        elif path.startswith("/stall"):
            conn.sendall(answer(200, length=False, extra=b"Content-Length: 1000\r\n") + b"12345")
            self.wait_for_close(conn, 60)
        else:
            conn.sendall(answer(404, length=False))

    @staticmethod
    def wait_for_close(conn, seconds):
        conn.settimeout(seconds)
        try:
            while conn.recv(4096):
                pass
        except OSError:
            pass


class Server(LoopbackServer):

    def __init__(self, firmware, log):
        super().__init__(Handler)
        self.firmware = firmware
        self.log = log
        self.lock = threading.Lock()

    def record(self, request):
        if not self.log:
            return
        with self.lock, open(self.log, "ab") as f:
            f.write(b"%d\n" % len(request) + request + b"\n")


def load_firmware(path):
    table = {}
    if path and os.path.exists(path):
        with open(path, encoding="latin-1") as f:
            for line in f:
                line = line.rstrip("\r\n")
                if line.startswith("@"):
                    key, _, raw = line[1:].partition("|")
                    table[key] = raw
                elif line and not line.startswith("#"):
                    table[line.split(";", 1)[0]] = line
    return table


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--firmware")
    parser.add_argument("--log")
    parser.add_argument("--lifetime", type=float, default=300)
    args = parser.parse_args()
    server = Server(load_firmware(args.firmware), args.log)
    serve(server, args.port_file, args.lifetime)


if __name__ == "__main__":
    main()
