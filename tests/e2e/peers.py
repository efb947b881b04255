"""Time servers for the real program's client to talk to: a standard RFC 868 service
(xinetd's internal "time"), and scripted bad peers."""

import os
import socket
import struct
import subprocess
import threading
import time

from harness import ROOT, time_value

XINETD = os.path.join(ROOT, "build", "tools", "xinetd", "usr", "sbin", "xinetd")


class Xinetd:
    """xinetd serving its internal RFC 868 time service on port 37."""

    def __init__(self, workdir):
        self.config = os.path.join(workdir, "xinetd.conf")
        with open(self.config, "w") as f:
            f.write("defaults\n{\n}\nservice time\n{\n  type = INTERNAL\n  id = time-stream\n"
                    "  socket_type = stream\n  protocol = tcp\n  user = root\n  wait = no\n"
                    "  bind = 127.0.0.1\n}\n")
        self.process = None

    @staticmethod
    def available():
        return os.access(XINETD, os.X_OK)

    def __enter__(self):
        self.process = subprocess.Popen([XINETD, "-dontfork", "-f", self.config],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return self

    def __exit__(self, *exc):
        self.process.terminate()
        self.process.wait(10)


class BadPeer:
    """Accepts on port 37 and plays one behaviour to every client."""

    def __init__(self, behaviour):
        self.behaviour = behaviour
        self.listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.listener.bind(("127.0.0.1", 37))
        self.listener.listen(16)
        self.stopping = threading.Event()
        self.held = []
        self.thread = threading.Thread(target=self._serve, daemon=True)

    def __enter__(self):
        self.thread.start()
        return self

    def __exit__(self, *exc):
        self.stopping.set()
        self.listener.close()
        self.thread.join(10)
        for connection in self.held:
            connection.close()

    def _serve(self):
        self.listener.settimeout(0.2)
        while not self.stopping.is_set():
            try:
                connection, _ = self.listener.accept()
            except OSError:
                continue
            try:
                self.behaviour(self, connection)
            except OSError:
                pass

    def pause(self, seconds):
        return not self.stopping.wait(seconds)


class FullListenQueue:
    """Port 37 where a connect hangs: a listener with a queue of 0 that never accepts, its
    one place in the queue taken, so that the system drops every further handshake."""

    def __enter__(self):
        self.listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.listener.bind(("127.0.0.1", 37))
        self.listener.listen(0)
        self.filler = socket.create_connection(("127.0.0.1", 37), timeout=5)
        return self

    def __exit__(self, *exc):
        self.filler.close()
        self.listener.close()


def value_bytes(offset=0):
    return struct.pack("!I", time_value(time.time() + offset))


def sends(data):
    def behaviour(peer, connection):
        connection.sendall(data() if callable(data) else data)
        connection.close()
    return behaviour


def trickles(pause):
    def behaviour(peer, connection):
        for byte in value_bytes():
            if not peer.pause(pause):
                break
            connection.sendall(bytes([byte]))
        connection.close()
    return behaviour


def resets(peer, connection):
    connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    connection.close()


def stalls(peer, connection):
    peer.held.append(connection)
