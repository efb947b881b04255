"""The Windows build against Linux peers over RFC 868, on loopback.

Runs inside a private network namespace of its own (scripts/private-network). The Windows
programs run under Wine through scripts/wine-safely: as nobody, in this namespace, with a
prefix of their own. The Linux programs are those of the Linux build beside it.
  - rdate from Linux reads the right time from the Windows time server;
  - the Linux time client reads it as well;
  - the Windows time client reads the right time from the Linux time server.
"""

import calendar
import os
import subprocess
import sys
import time
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WINDOWS_BUILD = os.environ.get("HORALUX_WINDOWS_BUILD", os.path.join(ROOT, "build", "windows"))
LINUX_BUILD = os.environ.get("HORALUX_LINUX_BUILD", os.path.join(ROOT, "build", "dev"))
WINE_SAFELY = [os.path.join(ROOT, "scripts", "wine-safely"), "--prefix",
               os.path.join(WINDOWS_BUILD, "wine"), "--"]
SECONDS_1900_TO_1970 = 2208988800
# Margin for a second boundary crossed between the reading and the query, and for Wine's
# start-up between them.
SLACK = 2


def time_value(now):
    return (int(now) + SECONDS_1900_TO_1970) & 0xFFFFFFFF


def windows(program):
    return WINE_SAFELY + [os.path.join(WINDOWS_BUILD, "tests", program)]


def linux(program):
    return [os.path.join(LINUX_BUILD, "tests", program)]


class Server:
    """A time-serve program until it is closed: it serves until its input ends."""

    def __init__(self, command, port):
        self.process = subprocess.Popen(command + [str(port)], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, text=True)
        line = self.process.stdout.readline()
        if not line.startswith("serving "):
            self.process.kill()
            raise AssertionError("time-serve did not start: %r" % line)
        self.port = int(line.split()[1])

    def close(self):
        self.process.stdin.close()
        return self.process.wait(timeout=60)


class Interoperation(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        # Wine makes sockets in its server: start the prefix's server anew in this
        # namespace, where the Linux peers are (a program without arguments only answers).
        subprocess.run(WINE_SAFELY[:-1] + ["--new-server", "--"]
                       + windows("time-query.exe")[len(WINE_SAFELY):],
                       capture_output=True, timeout=300)

    def query(self, command, port):
        before = time.time()
        result = subprocess.run(command + ["127.0.0.1", str(port)], capture_output=True,
                                text=True, timeout=120)
        after = time.time()
        self.assertEqual(result.returncode, 0, result.stderr)
        fields = dict(line.split() for line in result.stdout.splitlines())
        self.assertGreaterEqual(int(fields["value"]), time_value(before) - SLACK)
        self.assertLessEqual(int(fields["value"]), time_value(after) + SLACK)
        self.assertLessEqual(abs(int(fields["difference"])), SLACK)

    def test_rdate_and_the_linux_client_read_the_windows_server(self):
        server = Server(windows("time-serve.exe"), 37)
        try:
            before = time.time()
            shown = subprocess.run(["rdate", "-p", "127.0.0.1"], capture_output=True, text=True,
                                   env=dict(os.environ, TZ="UTC"), timeout=30, check=True).stdout
            after = time.time()
            seconds = calendar.timegm(time.strptime(shown.strip(), "%a %b %d %H:%M:%S UTC %Y"))
            self.assertGreaterEqual(seconds, int(before) - SLACK)
            self.assertLessEqual(seconds, after + SLACK)
            self.query(linux("time-query"), 37)
        finally:
            self.assertEqual(server.close(), 0)

    def test_the_windows_client_reads_the_linux_server(self):
        server = Server(linux("time-serve"), 0)
        try:
            self.query(windows("time-query.exe"), server.port)
        finally:
            self.assertEqual(server.close(), 0)


if __name__ == "__main__":
    for program in (linux("time-query")[0], linux("time-serve")[0]):
        if not os.access(program, os.X_OK):
            print("SKIP: %s is missing: build the Linux side first (cmake --preset dev)"
                  % program, file=sys.stderr)
            sys.exit(77)
    # .ci/run checks that this ran wherever it can.
    open(os.path.join(WINDOWS_BUILD, "interop-ran"), "w").close()
    unittest.main()
