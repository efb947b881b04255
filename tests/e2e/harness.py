"""Runs the real horalux binary the safe way and watches what it does.

Every test module runs inside its own private network namespace (scripts/private-network),
where this process is root and owns port 37. The program itself runs through
scripts/run-safely: as nobody, without capabilities, offscreen, with a temporary home.
What it does is read from its standard error (the log mirror and the "horalux.ui" trace),
from its store file and from the network.
"""

import os
import re
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = os.environ.get("HORALUX_BUILD", os.path.join(ROOT, "build", "dev"))
PROGRAM = os.path.join(BUILD, "horalux")
LOAD = os.path.join(BUILD, "bench", "horalux-load")
RUN_SAFELY = os.path.join(ROOT, "scripts", "run-safely")
STORE_HEADER = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Vantok\\Horalux]\r\n"
SECONDS_1900_TO_1970 = 2208988800


def time_value(now=None):
    """The RFC 868 value of a moment: seconds since 1900, low 32 bits."""
    return (int(now if now is not None else time.time()) + SECONDS_1900_TO_1970) & 0xFFFFFFFF


def store_lines(host=None, interval=300, sync_on_startup=0, start_server=0):
    lines = []
    if host is not None:
        lines.append('"Host"="%s"' % host)
    if interval is not None:
        lines.append('"Interval"=dword:%08x' % interval)
    if sync_on_startup is not None:
        lines.append('"Sync on Startup"=dword:%08x' % sync_on_startup)
    if start_server is not None:
        lines.append('"Start Server"=dword:%08x' % start_server)
    return "".join(line + "\r\n" for line in lines)


class Program:
    """One run of the real program in a temporary home and working folder."""

    def __init__(self, workdir, host_list=b"localhost\r\n", store=None, store_bytes=None):
        self.home = os.path.join(workdir, "home")
        self.cwd = os.path.join(workdir, "cwd")
        os.makedirs(os.path.join(self.home, ".config", "Vantok"), exist_ok=True)
        os.makedirs(self.cwd, exist_ok=True)
        os.chmod(workdir, 0o755)
        os.chmod(self.cwd, 0o755)
        self.store_path = os.path.join(self.home, ".config", "Vantok", "Horalux.reg")
        if host_list is not None:
            with open(os.path.join(self.cwd, "server.lst"), "wb") as f:
                f.write(host_list)
        if store is not None:
            store_bytes = (STORE_HEADER + store).encode("latin-1")
        if store_bytes is not None:
            with open(self.store_path, "wb") as f:
                f.write(store_bytes)
        self.process = None
        self.lines = []
        self.changed = threading.Condition()
        self.reader = None

    def start(self, arguments=(), stderr=None, tz="UTC", variables=(), display=None):
        """Starts the program with `arguments` in the zone `tz`, with the NAME=VALUE texts of
        `variables` in its environment, offscreen or on the X `display`. Its standard error
        is read into `lines` unless `stderr` names a descriptor to give it instead."""
        environment = dict(os.environ, HORALUX_UI_TRACE="1", TZ=tz)
        extra = [option for variable in variables for option in ("--env", variable)]
        if display:
            extra += ["--display", display]
        self.process = subprocess.Popen(
            [RUN_SAFELY, "--home", self.home, "--cwd", self.cwd, *extra, "--", PROGRAM,
             *arguments],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.PIPE if stderr is None else stderr, env=environment)
        if self.process.stderr is not None:
            self.reader = threading.Thread(target=self._read, daemon=True)
            self.reader.start()
        return self

    def _read(self):
        for raw in self.process.stderr:
            with self.changed:
                self.lines.append(raw.decode("utf-8", "replace").rstrip("\n"))
                self.changed.notify_all()
        with self.changed:
            self.changed.notify_all()

    def wait_for(self, pattern, timeout=30.0, start=0):
        """The first line from index `start` on that matches, waiting at most `timeout`: a
        bound for a program that is stuck, generous enough for a machine under load."""
        expression = re.compile(pattern)
        deadline = time.monotonic() + timeout
        with self.changed:
            while True:
                for line in self.lines[start:]:
                    if expression.search(line):
                        return line
                left = deadline - time.monotonic()
                if left <= 0 or (self.process.poll() is not None and not self.reader.is_alive()):
                    raise AssertionError("no line matching %r within %.1f s; got:\n%s"
                                         % (pattern, timeout, "\n".join(self.lines[-40:])))
                self.changed.wait(left)

    def matching(self, pattern):
        expression = re.compile(pattern)
        with self.changed:
            return [line for line in self.lines if expression.search(line)]

    def line_count(self):
        with self.changed:
            return len(self.lines)

    def alive(self):
        return self.process.poll() is None

    def threads(self):
        return len(os.listdir("/proc/%d/task" % self.process.pid))

    def descriptors(self):
        return len(os.listdir("/proc/%d/fd" % self.process.pid))

    def resident_kib(self):
        with open("/proc/%d/status" % self.process.pid) as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
        return 0

    def stop(self, timeout=60.0):
        """Ends the program as a session logout would; returns its exit status. A program
        still reading ten megabytes of host list takes the signal only after that."""
        if self.process is None:
            return None
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            return self.process.wait()
        finally:
            if self.reader:
                self.reader.join(5)
            if self.process.stderr is not None:
                self.process.stderr.close()

    def store_text(self):
        with open(self.store_path, "rb") as f:
            return f.read().decode("latin-1")


def query(port=37, host="127.0.0.1", timeout=5.0):
    """One RFC 868 query: the bytes received before the server closed."""
    with socket.create_connection((host, port), timeout=timeout) as s:
        data = b""
        while True:
            chunk = s.recv(16)
            if not chunk:
                return data
            data += chunk


def wait_for_port(port=37, timeout=10.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            return True
        except OSError:
            time.sleep(0.05)
    return False


class ProgramTest(unittest.TestCase):
    """Gives each test a temporary folder and stops every program it started."""

    def setUp(self):
        if os.geteuid() != 0 or not os.path.exists(PROGRAM):
            self.skipTest("needs root inside a private network and a built program")
        self.workdir = tempfile.mkdtemp(prefix="horalux-e2e-")
        os.chmod(self.workdir, 0o755)
        self.programs = []

    def tearDown(self):
        for program in self.programs:
            program.stop()
        shutil.rmtree(self.workdir, ignore_errors=True)

    def program(self, name="run", **settings):
        program = Program(os.path.join(self.workdir, name), **settings)
        self.programs.append(program)
        return program


def main():
    """Runs the module's tests. When any of them really ran (did not skip), leaves a mark
    in the build folder, so that CI can tell runs from skips."""
    program = unittest.main(verbosity=2, exit=False)
    result = program.result
    if result.testsRun > len(result.skipped):
        marks = os.path.join(BUILD, "e2e-ran")
        os.makedirs(marks, exist_ok=True)
        module = os.path.splitext(os.path.basename(sys.argv[0]))[0]
        open(os.path.join(marks, module), "w").close()
    sys.exit(0 if result.wasSuccessful() else 1)
