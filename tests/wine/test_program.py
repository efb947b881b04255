"""horalux.exe end to end under Wine, as the user sees it start and serve.

Runs inside a private network namespace of its own (scripts/private-network). The program
runs through scripts/wine-safely: as nobody, who cannot set the clock, in this namespace,
with a prefix of its own (not the unit tests' one, which draws no windows) whose registry
holds the settings, and with an X server of the test's own (Xvfb).
  - the start-up run asks a time host on loopback and logs the difference with the reason
    why the clock was not set; a second start ends at once and leaves the first running;
    the close box (taskkill without /f) ends it;
  - the time server on port 37 answers rdate -p.
"""

import calendar
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tests", "wine"))
from time_host import TimeHost  # noqa: E402
BUILD = os.environ.get("HORALUX_WINDOWS_BUILD", os.path.join(ROOT, "build", "windows"))
PROGRAM = os.path.join(BUILD, "horalux.exe")
PREFIX = os.path.join(BUILD, "wine-e2e")
KEY = r"HKCU\Software\Vantok\Horalux"
OFFSET = 100  # how far the test's time host is ahead
SUCCESS = re.compile(r"-> \S.*  127\.0\.0\.1 \* difference (-?\d+) sec \* clock not set: (.*)")


# The X server of this run: every Wine program of the prefix gets it, for the first one
# starts the desktop process that all later windows go through.
DISPLAY = None


def wine(*arguments, new_server=False, cwd=None, **popen):
    command = [os.path.join(ROOT, "scripts", "wine-safely"), "--prefix", PREFIX]
    if DISPLAY:
        command += ["--display", DISPLAY]
    if new_server:
        command.append("--new-server")
    if cwd:
        command += ["--cwd", cwd]
    return command + ["--"] + list(arguments), popen


def run(*arguments, **options):
    command, popen = wine(*arguments, **options)
    return subprocess.run(command, capture_output=True, text=True, timeout=300, **popen)


class Program:
    """horalux.exe until it ends; its standard error (the log's mirror) read line by line."""

    def __init__(self, cwd):
        command, _ = wine(PROGRAM, cwd=cwd)
        self.process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                        text=True, errors="replace")
        self.lines = []
        self.arrived = threading.Condition()
        self.reader = threading.Thread(target=self.read)
        self.reader.start()

    def read(self):
        for line in self.process.stderr:
            with self.arrived:
                self.lines.append(line.rstrip("\n"))
                self.arrived.notify_all()

    def wait_for(self, pattern, timeout=60):
        deadline = time.monotonic() + timeout
        with self.arrived:
            while True:
                for line in self.lines:
                    found = re.search(pattern, line)
                    if found:
                        return found
                left = deadline - time.monotonic()
                if left <= 0:
                    raise AssertionError("no line like %r in %r" % (pattern, self.lines))
                self.arrived.wait(left)

    def wait(self, timeout):
        code = self.process.wait(timeout=timeout)
        self.reader.join(timeout=10)
        self.process.stderr.close()
        return code

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
        if not self.process.stderr.closed:
            self.wait(30)


class ProgramUnderWine(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        global DISPLAY
        cls.folder = tempfile.mkdtemp(prefix="horalux-wine-e2e-")
        os.chmod(cls.folder, 0o755)
        with open(os.path.join(cls.folder, "server.lst"), "wb") as host_list:
            host_list.write(b"127.0.0.1\r\nlocalhost\r\n")
        os.chmod(os.path.join(cls.folder, "server.lst"), 0o644)
        read, write = os.pipe()
        cls.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-nolisten", "tcp",
                                     "-screen", "0", "800x600x24"], pass_fds=(write,),
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as number:
            DISPLAY = ":" + number.readline().strip()
        # Wine makes sockets in its server: start the prefix's server anew in this namespace.
        run("reg", "query", "HKCU", new_server=True)

    @classmethod
    def tearDownClass(cls):
        run("wineserver", "-k")
        cls.xvfb.terminate()
        cls.xvfb.wait(timeout=30)
        shutil.rmtree(cls.folder, ignore_errors=True)

    def store(self, host, sync_on_startup, start_server):
        for name, kind, data in (("Host", "REG_SZ", host), ("Interval", "REG_DWORD", "300"),
                                 ("Sync on Startup", "REG_DWORD", str(sync_on_startup)),
                                 ("Start Server", "REG_DWORD", str(start_server))):
            result = run("reg", "add", KEY, "/v", name, "/t", kind, "/d", data, "/f")
            self.assertEqual(result.returncode, 0, result.stdout + result.stderr)

    def start(self):
        program = Program(self.folder)
        self.addCleanup(program.kill)
        return program

    def close(self, program):
        # Without /f: the main window is asked to close, and its close box ends the program.
        run("taskkill", "/im", "horalux.exe")
        self.assertEqual(program.wait(60), 0)

    def test_the_start_up_run_logs_the_difference_and_why_the_clock_stayed(self):
        self.store("127.0.0.1", sync_on_startup=1, start_server=0)
        host = TimeHost(OFFSET)
        try:
            program = self.start()
            found = program.wait_for(SUCCESS.pattern)
        finally:
            host.close()
        self.assertLessEqual(abs(int(found.group(1)) + OFFSET), 2)
        # The system's own words, whole and without the line break its message text ends with.
        reason = found.group(2)
        self.assertRegex(reason, r"^[A-Z][^\\]*[a-z.]$")
        self.assertRegex(reason, "(?i)privilege")

        second = self.start()
        self.assertEqual(second.wait(60), 0)
        self.assertIsNone(program.process.poll())
        self.close(program)

    def test_a_host_that_refuses_gives_the_connect_error_and_then_why(self):
        self.store("127.0.0.1", sync_on_startup=1, start_server=0)
        program = self.start()
        program.wait_for(r"^horalux\.log: -> \S.*  127\.0\.0\.1 \*\*\* Connect Error \*\*\*$")
        why = "horalux: 127.0.0.1: Socket Error # 10061 Connection refused."
        program.wait_for("^" + re.escape(why) + "$")
        with program.arrived:
            failed = next(at for at, line in enumerate(program.lines) if "Connect Error" in line)
            self.assertEqual(program.lines[failed + 1], why)
        self.close(program)

    def test_the_time_server_answers_rdate(self):
        self.store("127.0.0.1", sync_on_startup=0, start_server=1)
        program = self.start()
        deadline = time.monotonic() + 60
        while True:
            before = time.time()
            shown = subprocess.run(["rdate", "-p", "127.0.0.1"], capture_output=True, text=True,
                                   env=dict(os.environ, TZ="UTC"), timeout=30)
            after = time.time()
            if shown.returncode == 0 or time.monotonic() > deadline:
                break
            time.sleep(0.5)  # the program is still starting under Wine
        self.assertEqual(shown.returncode, 0, shown.stderr)
        seconds = calendar.timegm(time.strptime(shown.stdout.strip(), "%a %b %d %H:%M:%S UTC %Y"))
        self.assertGreaterEqual(seconds, int(before) - 2)
        self.assertLessEqual(seconds, after + 2)
        program.wait_for(r"<- \S.*  Connection from 127\.0\.0\.1$")
        self.close(program)


if __name__ == "__main__":
    for tool in ("Xvfb", "rdate"):
        if shutil.which(tool) is None:
            print("SKIP: %s is missing (scripts/install-deps test)" % tool, file=sys.stderr)
            sys.exit(77)
    # .ci/run checks that this ran wherever it can.
    open(os.path.join(BUILD, "e2e-wine-ran"), "w").close()
    unittest.main()
