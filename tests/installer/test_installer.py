"""The Windows setup program, run silently under Wine, and its uninstaller.

Runs inside a private network namespace of its own (scripts/private-network). Wine runs
through scripts/wine-safely: as nobody, in this namespace, with a fresh prefix of its own,
so that what the setup program leaves behind is seen against a clean Windows.
  - for everyone: the files, the Start menu entry with the host list's folder as its working
    folder, the sign-in entry and the time right when asked for, the uninstall entry; then
    the program started as its shortcut starts it; then the uninstaller, which leaves
    nothing it installed and keeps the user's settings;
  - for one user: the same without an administrator's places, and an uninstaller that
    removes the settings when asked to.
"""

import os
import re
import shutil
import struct
import subprocess
import sys
import threading
import time
import unittest
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tests", "wine"))
from time_host import TimeHost  # noqa: E402
BUILD = os.environ.get("HORALUX_WINDOWS_BUILD", os.path.join(ROOT, "build", "windows"))
SETUP = os.environ["HORALUX_SETUP"]
PORTABLE_ZIP = os.environ["HORALUX_PORTABLE_ZIP"]
VERSION = os.environ["HORALUX_VERSION"]
STAGE = os.environ["HORALUX_STAGE"]
# The real program logs to standard error; a stand-in (packing without the window) does not.
REAL_PROGRAM = os.environ.get("HORALUX_REAL_PROGRAM") == "1"
HOME = os.path.join(BUILD, "installer-wine")
DRIVE_C = os.path.join(HOME, "prefix", "drive_c")
WINE_SAFELY = [os.path.join(ROOT, "scripts", "wine-safely"), "--prefix", HOME]
UNINSTALL_KEY = r"Software\Microsoft\Windows\CurrentVersion\Uninstall\Horalux"
SETTINGS_KEY = r"HKCU\Software\Vantok\Horalux"
PROFILE = os.path.join(DRIVE_C, "users", "nobody")
COMMON_START_MENU = os.path.join(DRIVE_C, "ProgramData", "Microsoft", "Windows", "Start Menu",
                                 "Programs")
USER_START_MENU = os.path.join(PROFILE, "AppData", "Roaming", "Microsoft", "Windows",
                               "Start Menu", "Programs")
SIGN_IN_SHORTCUT = os.path.join(USER_START_MENU, "StartUp", "Horalux.lnk")


# The X server of this run, for the program's window and tray icon.
DISPLAY = None


def wine_command(*command, cwd=None, new_server=False):
    options = ["--display", DISPLAY] if DISPLAY else []
    options += ["--cwd", cwd] if cwd else []
    options += ["--new-server"] if new_server else []
    return WINE_SAFELY + options + ["--"] + list(command)


def wine(*command, check=True, **options):
    return subprocess.run(wine_command(*command, **options), capture_output=True, text=True,
                          timeout=300, check=check)


def windows_path(path):
    """The Windows name of a file below the prefix's drive C."""
    return "C:\\" + os.path.relpath(path, DRIVE_C).replace("/", "\\")


def registry_values(key):
    """The values of `key` as a dict of name -> text, or None when the key does not exist."""
    result = wine("reg", "query", key, check=False)
    if result.returncode != 0:
        return None
    values = {}
    for line in result.stdout.splitlines():
        fields = line.strip().split("    ")
        if len(fields) == 3:
            values[fields[0]] = fields[2]
    return values


def shortcut_fields(path):
    """Target and working folder of a shell link (.lnk) file."""
    with open(path, "rb") as link:
        data = link.read()
    flags = struct.unpack_from("<I", data, 20)[0]
    offset = 76
    if flags & 0x1:  # a list of item IDs
        offset += 2 + struct.unpack_from("<H", data, offset)[0]
    target = None
    if flags & 0x2:  # link info, with the target's local path
        info = data[offset:]
        base_path = struct.unpack_from("<I", info, 16)[0]
        target = info[base_path:info.index(b"\0", base_path)].decode("latin-1")
        offset += struct.unpack_from("<I", info, 0)[0]
    strings = {}
    for bit, name in ((0x4, "name"), (0x8, "relative"), (0x10, "folder"), (0x20, "arguments"),
                      (0x40, "icon")):
        if flags & bit:
            count = struct.unpack_from("<H", data, offset)[0]
            # Wine counts the terminating NUL in, Windows does not.
            text = data[offset + 2:offset + 2 + 2 * count].decode("utf-16-le")
            strings[name] = text.rstrip("\0")
            offset += 2 + 2 * count
    return target, strings.get("folder")


def files_below(folder):
    found = set()
    for directory, _, names in os.walk(folder):
        for name in names:
            found.add(os.path.relpath(os.path.join(directory, name), folder))
    return found


def wait_for(condition, what, seconds=60):
    deadline = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > deadline:
            raise AssertionError("waited %d s for %s" % (seconds, what))
        time.sleep(0.2)


class Installer(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        global DISPLAY
        read, write = os.pipe()
        cls.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-nolisten", "tcp",
                                     "-screen", "0", "800x600x24"], pass_fds=(write,),
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as number:
            DISPLAY = ":" + number.readline().strip()
        # A fresh prefix, and its server started anew in this namespace, where the time
        # server of the end-to-end start lives.
        shutil.rmtree(HOME, ignore_errors=True)
        wine("cmd", "/c", "exit", new_server=True)
        cls.pristine = files_below(DRIVE_C)

    @classmethod
    def tearDownClass(cls):
        cls.xvfb.terminate()
        cls.xvfb.wait(timeout=30)

    def install(self, *options):
        wine(SETUP, "/S", *options)
        self.addCleanup(self.uninstall_leftovers)
        return registry_values(self.uninstall_key)

    def uninstall_leftovers(self):
        """After a failed test: the next one starts without this one's installation."""
        entry = registry_values(self.uninstall_key)
        if entry is not None:
            self.uninstall(entry, "/REMOVESETTINGS")

    def uninstall(self, entry, *options):
        # The uninstaller copies itself to the temporary folder and returns at once; the copy
        # does the work and removes the uninstall entry last.
        wine(*entry["QuietUninstallString"].replace('"', "").rsplit(" ", 2), *options)
        wait_for(lambda: registry_values(self.uninstall_key) is None, "the uninstaller")

    def assert_installed(self, folder, start_menu, entry):
        self.assertEqual(sorted(os.listdir(folder)), ["Uninstall.exe", "horalux.exe", "server.lst"])
        for name in ("horalux.exe", "server.lst"):
            with open(os.path.join(folder, name), "rb") as installed, \
                    open(os.path.join(STAGE, name), "rb") as shipped:
                self.assertEqual(installed.read(), shipped.read(), name)
        program = windows_path(os.path.join(folder, "horalux.exe"))
        target, working_folder = shortcut_fields(os.path.join(start_menu, "Horalux.lnk"))
        self.assertEqual((target, working_folder), (program, windows_path(folder)))
        self.assertEqual(entry["DisplayName"], "Horalux")
        self.assertEqual(entry["DisplayVersion"], VERSION)
        self.assertEqual(entry["Publisher"], "Horalux developers")
        self.assertEqual(entry["DisplayIcon"], program + ",0")
        self.assertEqual(entry["InstallLocation"], windows_path(folder))
        self.assertGreater(int(entry["EstimatedSize"], 16), 0)

    def assert_nothing_left(self):
        left = files_below(DRIVE_C) - self.pristine
        # The uninstaller's own copy stays in the temporary folder until Windows restarts.
        left = {name for name in left if not name.startswith("users/nobody/Temp/~nsu")}
        self.assertEqual(left, set())
        self.assertIsNone(registry_values(self.uninstall_key))

    def start_program(self, folder):
        """Starts the installed program in `folder`, as its shortcut does, with settings that
        make it synchronise at start-up with the loopback time server, and returns the
        difference line it logs."""
        wine("reg", "add", SETTINGS_KEY, "/v", "Host", "/d", "127.0.0.1", "/f")
        for name, value in (("Interval", "0"), ("Sync on Startup", "1"), ("Start Server", "0")):
            wine("reg", "add", SETTINGS_KEY, "/v", name, "/t", "REG_DWORD", "/d", value, "/f")
        server = TimeHost(60)
        program = subprocess.Popen(
            wine_command(windows_path(os.path.join(folder, "horalux.exe")), cwd=folder),
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
            text=True, errors="replace")
        lines = []
        reader = threading.Thread(target=lambda: lines.extend(program.stderr))
        reader.start()
        try:
            wait_for(lambda: any(" * " in line for line in lines), "the start-up run", 90)
        finally:
            # Without /f: the window is asked to close, and closing it ends the program.
            wine("taskkill", "/im", "horalux.exe", check=False)
            try:
                program.wait(timeout=60)
            except subprocess.TimeoutExpired:
                program.kill()
                program.wait()
            reader.join()
            program.stderr.close()
            server.close()
        return next(line for line in lines if " * " in line)

    def test_for_everyone_with_the_sign_in_entry_and_the_time_right(self):
        self.uninstall_key = "HKLM\\" + UNINSTALL_KEY
        entry = self.install("/AllUsers", "/STARTATSIGNIN", "/TIMERIGHT")
        folder = os.path.join(DRIVE_C, "Program Files", "Horalux")
        self.assert_installed(folder, COMMON_START_MENU, entry)
        self.assertEqual(entry["UninstallString"], '"%s" /AllUsers'
                         % windows_path(os.path.join(folder, "Uninstall.exe")))
        self.assertEqual(shortcut_fields(SIGN_IN_SHORTCUT),
                         (windows_path(os.path.join(folder, "horalux.exe")), windows_path(folder)))
        # Wine's local security policy takes any grant: the account is remembered.
        self.assertTrue(entry["TimeRightAccount"].startswith("S-1-5-21-"))

        if REAL_PROGRAM:
            # The host list was found: only then does the program read the settings that
            # make it ask the time server. The server is a minute ahead.
            line = self.start_program(folder)
            found = re.search(r"  127\.0\.0\.1 \* difference (-?\d+) sec", line)
            self.assertIsNotNone(found, line)
            self.assertLessEqual(abs(int(found.group(1)) + 60), 2, line)
        else:
            wine("reg", "add", SETTINGS_KEY, "/v", "Host", "/d", "127.0.0.1", "/f")

        self.uninstall(entry)
        self.assert_nothing_left()
        self.assertFalse(os.path.exists(SIGN_IN_SHORTCUT))
        self.assertEqual(registry_values(SETTINGS_KEY)["Host"], "127.0.0.1")
        wine("reg", "delete", SETTINGS_KEY, "/f")

    def test_for_this_user_and_the_settings_removed(self):
        self.uninstall_key = "HKCU\\" + UNINSTALL_KEY
        entry = self.install("/CurrentUser")
        folder = os.path.join(PROFILE, "AppData", "Local", "Programs", "Horalux")
        self.assert_installed(folder, USER_START_MENU, entry)
        self.assertNotIn("TimeRightAccount", entry)
        self.assertFalse(os.path.exists(SIGN_IN_SHORTCUT))
        self.assertIsNone(registry_values("HKLM\\" + UNINSTALL_KEY))

        wine("reg", "add", SETTINGS_KEY, "/v", "Host", "/d", "127.0.0.1", "/f")
        self.uninstall(entry, "/REMOVESETTINGS")
        self.assert_nothing_left()
        self.assertIsNone(registry_values(SETTINGS_KEY))
        self.assertIsNone(registry_values(r"HKCU\Software\Vantok"))


class PortableZip(unittest.TestCase):
    def test_one_folder_with_the_program_its_host_list_and_the_readme(self):
        with zipfile.ZipFile(PORTABLE_ZIP) as archive:
            names = sorted(name for name in archive.namelist() if not name.endswith("/"))
            expected = ["Horalux/README.txt", "Horalux/horalux.exe", "Horalux/server.lst"]
            if os.path.exists(os.path.join(ROOT, "LICENSE")):
                expected.insert(0, "Horalux/LICENSE.txt")
            self.assertEqual(names, expected)
            for name in ("horalux.exe", "server.lst"):
                with open(os.path.join(STAGE, name), "rb") as shipped:
                    self.assertEqual(archive.read("Horalux/" + name), shipped.read(), name)
            readme = archive.read("Horalux/README.txt")
        self.assertNotIn(b"\n", readme.replace(b"\r\n", b""))
        with open(os.path.join(ROOT, "README.md"), "rb") as source:
            self.assertEqual(readme.replace(b"\r\n", b"\n"), source.read())


if __name__ == "__main__":
    if shutil.which("Xvfb") is None:
        print("SKIP: Xvfb is missing (scripts/install-deps test)", file=sys.stderr)
        sys.exit(77)
    # .ci/run checks that this ran wherever it can.
    open(os.path.join(BUILD, "installer-ran"), "w").close()
    unittest.main()
