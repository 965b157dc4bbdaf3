#!/usr/bin/env python3
# tests/hostile/hostile_service.py — a hostile update service on 127.0.0.1 only: every request gets a broken
# answer chosen by the seed it carries, so that one seed replays one case.
#
# The client asks as the program's update check does (POST, body "product=<identification>"); the identification
# is "H" and fifteen digits, the seed. Requests without a seed get the seed 0. Cases:
#   status      a broken status line (empty, no code, a code of odd form, random bytes, no CR, NUL bytes, very long)
#   endless     a header line that never ends (the service stops after 256 KB or when the client goes)
#   longheader  header lines beyond the client's 4096-byte limit, then a body
#   length      Content-Length absent, negative, huge, not a number, larger or smaller than the body, repeated
#   short       a body cut short of its announced length, then close
#   dribble     a whole answer (valid or broken) sent a byte at a time, sometimes with pauses
#   closeat     the valid answer cut at a byte offset (every offset over the seeds), closed or reset
#   body        a valid header with a random body (NUL bytes, many ';', long fields)
#   noblank     a header without the blank line, then close
#   valid       the answer the service would give
#
# usage: hostile_service.py --port-file FILE [--lifetime SECONDS] [--max-connections N] [--log FILE] [--cases A,B]
# The port is written to the port file once the server listens. The server ends by itself after the lifetime or
# after the given number of connections, so a driver that dies cannot leave it behind for long.
import argparse
import os
import random
import socket
import socketserver
import struct
import sys
import threading
import time
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from loopback_service import LoopbackServer, announced_length, serve  # noqa: E402

CASES = ["status", "endless", "longheader", "length", "short", "dribble", "closeat", "body", "noblank", "valid"]
# Weights: the client reads a header a byte at a time, and under Wine every byte costs a few hundred microseconds,
# so the cases that fill its 4096-byte header buffer (endless, longheader) are played rarely; they always end the
# same way.
WEIGHTS = [16, 1, 1, 20, 12, 8, 22, 12, 4, 4]


def receive(conn):
    """One recv, acknowledged at once: the client sends its request in small pieces, and a delayed
    acknowledgement would hold each piece back for tens of milliseconds."""
    chunk = conn.recv(4096)
    conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_QUICKACK, 1)
    return chunk


def read_request(conn):
    """The request's header and the body its Content-Length announces (10 s at most)."""
    conn.settimeout(10)
    data = b""
    while b"\r\n\r\n" not in data:
        chunk = receive(conn)
        if not chunk:
            return data
        data += chunk
        if len(data) > 65536:
            return data
    head, _, rest = data.partition(b"\r\n\r\n")
    length = announced_length(head)
    while len(rest) < min(length, 65536):
        chunk = receive(conn)
        if not chunk:
            break
        rest += chunk
    return head + b"\r\n\r\n" + rest


def request_seed(request):
    """The seed in the identification "H<digits>" of the request's body; 0 when there is none."""
    body = request.partition(b"\r\n\r\n")[2]
    for field in body.split(b"&"):
        if field.startswith(b"product="):
            value = field[len(b"product="):].strip().replace(b"%20", b" ").strip()
            if value.startswith(b"H") and value[1:].isdigit():
                return int(value[1:])
    return 0


def valid_answer(ident, body=None):
    if body is None:
        body = ("%s;%d.%02d;N/A" % (ident, 1, 0)).encode("latin-1")
    return b"HTTP/1.0 200 OK\r\nServer: hostile\r\nContent-Length: %d\r\n\r\n" % len(body) + body


def random_bytes(rng, n):
    return bytes(rng.getrandbits(8) for _ in range(n))


def long_length(rng):
    """Mostly a few hundred bytes; now and then beyond the client's header buffer."""
    return rng.randrange(4000, 5000) if rng.random() < 0.02 else rng.randrange(1, 300)


def broken_status(rng, ident):
    body = ("H%s;9.99;N/A" % ident).encode("latin-1")
    lines = [
        b"", b"HTTP/1.0", b"HTTP/1.0 ", b"HTTP/1.0  200 OK", b"HTTP/1.0 2000 OK", b"HTTP/1.0 -200 OK",
        b"HTTP/1.0 200", b"HTTP/9.9 200 OK", b"200 OK", b" 200 OK", b"HTTP/1.0\t200 OK", b"HTTP/1.0 0200 OK",
        b"HTTP/1.0 99999999999999999999 OK", b"HTTP/1.0 200\x00OK", b"\x00\x00\x00\x00", b"HTTP/1.0 404",
        b"HTTP/1.0 302 " + b"x" * long_length(rng), b"x" * long_length(rng) + b" 200 OK",
        random_bytes(rng, rng.randrange(1, 64)),
    ]
    line = rng.choice(lines)
    eol = rng.choice([b"\r\n", b"\n", b"\r", b""])
    tail = rng.choice([b"Content-Length: %d\r\n\r\n" % len(body) + body, b"\r\n" + body, b""])
    return line + eol + tail


def length_case(rng, ident):
    body = ("H%s;1.%02d;N/A" % (ident, rng.randrange(100))).encode("latin-1")
    n = len(body)
    values = [None, b"-1", b"-%d" % rng.randrange(1, 1 << 31), b"%d" % (1 << 31), b"4294967296", b"2147483647",
              b"99999999999999999999999", b"65536", b"65537", b"0", b"", b"0x10", b"+5", b"  12abc", b"-0",
              b"%d" % (n + rng.randrange(1, 100)), b"%d" % max(0, n - rng.randrange(1, n + 1)), b"%d" % n]
    value = rng.choice(values)
    head = b"HTTP/1.0 200 OK\r\n"
    if value is not None:
        head += b"Content-Length: " + value + b"\r\n"
        if rng.random() < 0.2:
            head += b"Content-Length: " + rng.choice(values[1:]) + b"\r\n"
    if rng.random() < 0.2:
        head = head.replace(b"Content-Length: ", rng.choice([b"content-length: ", b"Content-Length:", b"Content-Length:  "]))
    return head + b"\r\n" + body


def random_body(rng, ident):
    choice = rng.randrange(6)
    if choice == 0:
        body = random_bytes(rng, rng.randrange(0, 300))
    elif choice == 1:
        body = b";" * rng.randrange(0, 2000)
    elif choice == 2:
        body = ("H%s;" % ident).encode("latin-1") + b"9" * rng.randrange(0, 65536)
    elif choice == 3:
        body = ("H%s;" % ident).encode("latin-1") + random_bytes(rng, rng.randrange(0, 64)) + b";" + \
            random_bytes(rng, rng.randrange(0, 64))
    elif choice == 4:
        body = ("H%s" % ident).encode("latin-1") + b"\x00;1.00;N/A"
    else:
        body = ("  H%s  ;1.00;N/A\r\n" % ident).encode("latin-1")
    return valid_answer(ident, body)


def answer_for(rng, case, ident):
    if case == "status":
        return broken_status(rng, ident)
    if case == "longheader":
        head = b"HTTP/1.0 200 OK\r\n"
        target = rng.randrange(4000, 12000)
        while len(head) < target:
            head += b"X-Filler-%d: %s\r\n" % (len(head), b"f" * rng.randrange(1, 300))
        body = ("H%s;1.00;N/A" % ident).encode("latin-1")
        return head + b"Content-Length: %d\r\n\r\n" % len(body) + body
    if case == "length":
        return length_case(rng, ident)
    if case == "short":
        body = ("H%s;1.00;N/A" % ident).encode("latin-1")
        return b"HTTP/1.0 200 OK\r\nContent-Length: %d\r\n\r\n" % (len(body) + rng.randrange(1, 60000)) + \
            body[:rng.randrange(len(body) + 1)]
    if case == "body":
        return random_body(rng, ident)
    if case == "noblank":
        return b"HTTP/1.0 200 OK\r\nContent-Length: 5\r\n12345"
    return valid_answer("H" + ident)


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        conn = self.request
        try:
            conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
            request = read_request(conn)
            seed = request_seed(request)
            rng = random.Random(seed)
            case = rng.choices(CASES, self.server.weights)[0]
            self.server.record(seed, case)
            self.respond(conn, rng, case, "%015d" % seed)
        except OSError:
            pass
        finally:
            self.server.done()

    def respond(self, conn, rng, case, ident):
        if case == "endless":
            conn.sendall(b"HTTP/1.0 200 OK\r\nX-Endless: ")
            conn.settimeout(5)
            for _ in range(64):
                conn.sendall(b"a" * 4096)
            return
        if case == "dribble":
            inner = rng.choice(["valid", "status", "length", "short", "body"])
            data = answer_for(rng, inner, ident)[:2000]
            pause = rng.random() < 0.1
            for i in range(len(data)):
                conn.send(data[i:i + 1])
                if pause and i % 50 == 0:
                    time.sleep(0.001)
            return
        if case == "closeat":
            data = answer_for(rng, "valid", ident)
            cut = rng.randrange(len(data) + 1)
            conn.sendall(data[:cut])
            if rng.random() < 0.3:
                # a reset rather than an orderly close
                conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            return
        conn.sendall(answer_for(rng, case, ident))


class Server(LoopbackServer):
    request_queue_size = 128

    def __init__(self, max_connections, log, cases):
        super().__init__(Handler)
        self.weights = [w if not cases or c in cases else 0 for c, w in zip(CASES, WEIGHTS)]
        self.lock = threading.Lock()
        self.remaining = max_connections
        self.log = open(log, "a") if log else None

    def record(self, seed, case):
        if self.log:
            with self.lock:
                self.log.write("%d %s\n" % (seed, case))

    def done(self):
        with self.lock:
            self.remaining -= 1
            if self.remaining <= 0:
                if self.log:
                    self.log.flush()
                os._exit(0)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--lifetime", type=float, default=600)
    parser.add_argument("--max-connections", type=int, default=2000000)
    parser.add_argument("--log")
    parser.add_argument("--cases", help="comma-separated cases to play (default: all)")
    args = parser.parse_args()
    server = Server(args.max_connections, args.log, args.cases.split(",") if args.cases else None)
    serve(server, args.port_file, args.lifetime)


if __name__ == "__main__":
    main()
