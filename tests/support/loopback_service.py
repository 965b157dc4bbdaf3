# tests/support/loopback_service.py — what the tests' scripted services share: a threaded TCP server on 127.0.0.1
# with a port the system picks, the port written to a file once the server listens (through a temporary file, so a
# reader never sees half a number), and a lifetime after which the process ends whatever it is doing, so that a
# test that dies cannot leave its service behind for long.
import os
import socketserver
import threading


class LoopbackServer(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, handler):
        super().__init__(("127.0.0.1", 0), handler)


def announced_length(head):
    """The Content-Length a request's header announces (any spelling of the name), 0 without a readable one."""
    for line in head.split(b"\r\n"):
        if line.lower().startswith(b"content-length:"):
            try:
                return int(line.split(b":", 1)[1].strip())
            except ValueError:
                return 0
    return 0


def serve(server, port_file, lifetime):
    threading.Timer(lifetime, lambda: os._exit(0)).start()
    tmp = port_file + ".tmp"
    with open(tmp, "w") as f:
        f.write("%d\n" % server.server_address[1])
    os.replace(tmp, port_file)
    server.serve_forever()
