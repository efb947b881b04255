"""An RFC 868 time host for the tests of the Windows program under Wine: it listens on
127.0.0.1:37 in the caller's network namespace and answers every connection with a value
`ahead` seconds ahead of this machine's clock."""
import socket
import struct
import threading
import time

SECONDS_1900_TO_1970 = 2208988800


class TimeHost:
    def __init__(self, ahead):
        self.ahead = ahead
        self.listener = socket.create_server(("127.0.0.1", 37))
        self.thread = threading.Thread(target=self.serve)
        self.thread.start()

    def serve(self):
        while True:
            try:
                peer, _ = self.listener.accept()
            except OSError:
                return
            with peer:
                value = (int(time.time()) + self.ahead + SECONDS_1900_TO_1970) & 0xFFFFFFFF
                peer.sendall(struct.pack("!I", value))

    def close(self):
        self.listener.shutdown(socket.SHUT_RDWR)
        self.listener.close()
        self.thread.join()
