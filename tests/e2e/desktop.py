"""Real desktop parts for the end-to-end tests: an X server (Xvfb), a private session bus,
and the panels, notification server, window manager or Wayland compositor that Debian
packages, each started by the test as nobody (as the program runs) and ended with it.

What the program shows there is read back from the bus (gdbus, dbus-monitor), from the
screen (import) and with real clicks and keys (xdotool).
"""

import os
import re
import shutil
import subprocess
import time

NOBODY = 65534
XFCE_PANEL = """<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=8;x=320;y=460"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="32"/>
      <property name="length" type="uint" value="100"/>
      <property name="plugin-ids" type="array"><value type="int" value="1"/></property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
"""
LXQT_PANEL = """[General]
panels=panel1

[panel1]
alignment=-1
position=Bottom
panelSize=32
iconSize=22
plugins=statusnotifier

[statusnotifier]
type=statusnotifier
"""
# Where the first icon of the configured panels is on a 640x480 screen.
PANEL_ICON = (11, 464)


def installed(*programs):
    return all(shutil.which(program) for program in programs)


class Desktop:
    """A desktop session of nobody's in `workdir`. start_* add its parts; stop() ends all."""

    def __init__(self, workdir):
        self.root = os.path.join(workdir, "desktop")
        self.home = os.path.join(self.root, "home")
        self.runtime = os.path.join(self.root, "runtime")
        for folder in (self.home, self.runtime):
            os.makedirs(folder, exist_ok=True)
        os.chmod(self.runtime, 0o700)
        self.processes = []
        self.display = None
        self.bus = None

    def _environment(self, **extra):
        environment = {"PATH": "/usr/bin:/bin", "HOME": self.home, "LANG": "C.UTF-8",
                       "XDG_CONFIG_HOME": os.path.join(self.home, ".config"),
                       "XDG_RUNTIME_DIR": self.runtime, "NO_AT_BRIDGE": "1"}
        if self.display:
            environment["DISPLAY"] = self.display
        if self.bus:
            environment["DBUS_SESSION_BUS_ADDRESS"] = self.bus
        environment.update(extra)
        return environment

    def run_as_nobody(self, command, stdout=subprocess.DEVNULL, **extra):
        """Starts `command` as nobody in this session; it is ended by stop()."""
        subprocess.run(["chown", "-R", "%d:%d" % (NOBODY, NOBODY), self.root], check=True)
        process = subprocess.Popen(
            ["setpriv", "--reuid=%d" % NOBODY, "--regid=%d" % NOBODY, "--clear-groups",
             "--", "env", "-i", *("%s=%s" % item for item in self._environment(**extra).items()),
             *command],
            stdin=subprocess.DEVNULL, stdout=stdout, stderr=subprocess.DEVNULL)
        self.processes.append(process)
        return process

    def ask(self, command, timeout=10):
        """Runs a short command as nobody in this session; its standard output."""
        environment = self._environment()
        result = subprocess.run(
            ["setpriv", "--reuid=%d" % NOBODY, "--regid=%d" % NOBODY, "--clear-groups",
             "--", "env", "-i", *("%s=%s" % item for item in environment.items()), *command],
            stdin=subprocess.DEVNULL, capture_output=True, timeout=timeout, text=True)
        return result.stdout if result.returncode == 0 else "failed: " + result.stderr

    def start_x(self):
        """An X server of 640x480 on a display number the system has free."""
        read, write = os.pipe()
        process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "640x480x24", "-nolisten",
             "tcp"], pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        self.processes.append(process)
        with os.fdopen(read) as numbers:
            self.display = ":" + numbers.readline().strip()
        return self

    def start_bus(self):
        address = "unix:path=" + os.path.join(self.runtime, "bus")
        self.run_as_nobody(["dbus-daemon", "--session", "--nofork", "--address=" + address])
        self.bus = address
        self.wait_until(lambda: os.path.exists(os.path.join(self.runtime, "bus")))
        return self

    def start_xfce_panel(self):
        config = os.path.join(self.home, ".config", "xfce4", "xfconf", "xfce-perchannel-xml")
        os.makedirs(config, exist_ok=True)
        with open(os.path.join(config, "xfce4-panel.xml"), "w") as f:
            f.write(XFCE_PANEL)
        self.run_as_nobody(["xfce4-panel", "--disable-wm-check"])
        self.wait_for_name("org.kde.StatusNotifierWatcher")
        return self

    def start_lxqt_panel(self):
        config = os.path.join(self.home, ".config", "lxqt")
        os.makedirs(config, exist_ok=True)
        with open(os.path.join(config, "panel.conf"), "w") as f:
            f.write(LXQT_PANEL)
        self.run_as_nobody(["lxqt-panel"], QT_QPA_PLATFORM="xcb")
        self.wait_for_name("org.kde.StatusNotifierWatcher")
        return self

    def start_dunst(self):
        self.run_as_nobody(["dunst"])
        self.wait_for_name("org.freedesktop.Notifications")
        return self

    def start_icewm(self):
        self.run_as_nobody(["icewm"])
        return self

    def start_weston(self):
        """A headless Wayland compositor; returns the path of its socket."""
        socket = os.path.join(self.runtime, "wayland-horalux")
        self.run_as_nobody(["weston", "--backend=headless-backend.so", "--socket=wayland-horalux",
                            "--idle-time=0"])
        self.wait_until(lambda: os.path.exists(socket))
        return socket

    def notifications(self):
        """Watches the bus for notifications: a process whose output names each Notify."""
        return self.run_as_nobody(
            ["dbus-monitor", "--address", self.bus,
             "interface='org.freedesktop.Notifications',member='Notify'"],
            stdout=subprocess.PIPE)

    def names(self):
        return self.ask(["gdbus", "call", "--session", "--dest", "org.freedesktop.DBus",
                         "--object-path", "/org/freedesktop/DBus",
                         "--method", "org.freedesktop.DBus.ListNames"])

    def wait_for_name(self, name, timeout=15):
        self.wait_until(lambda: "'%s'" % name in self.names(), timeout)

    def registered_items(self):
        answer = self.ask(["gdbus", "call", "--session", "--dest", "org.kde.StatusNotifierWatcher",
                           "--object-path", "/StatusNotifierWatcher", "--method",
                           "org.freedesktop.DBus.Properties.Get", "org.kde.StatusNotifierWatcher",
                           "RegisteredStatusNotifierItems"])
        return re.findall(r"'([^']+)'", answer)

    def item_call(self, item, path, method, *arguments):
        service = item.split("/")[0]
        return self.ask(["gdbus", "call", "--session", "--dest", service, "--object-path", path,
                         "--method", method, "--", *arguments])

    def xdotool(self, *arguments):
        subprocess.run(["xdotool", *arguments], env={"DISPLAY": self.display}, check=True,
                       timeout=10)

    def screenshot(self, path, crop=None):
        subprocess.run(["import", "-window", "root", path], env={"DISPLAY": self.display},
                       check=True, timeout=20)
        if crop:
            subprocess.run(["convert", path, "-crop", crop, "+repage", path], check=True,
                           timeout=20)

    def red_pixels(self, crop):
        """How many strongly red pixels the screen has in `crop` (WxH+X+Y): the program's
        icon is a red clock."""
        text = subprocess.run(
            ["sh", "-c", "import -window root png:- | convert png:- -crop %s +repage txt:-"
             % crop], env={"DISPLAY": self.display}, capture_output=True, text=True,
            timeout=20).stdout
        count = 0
        for match in re.finditer(r"srgba?\((\d+),(\d+),(\d+)", text):
            red, green, blue = (int(value) for value in match.groups())
            count += red > 180 and green < 80 and blue < 80
        return count

    @staticmethod
    def wait_until(condition, timeout=15, step=0.1):
        deadline = time.monotonic() + timeout
        while not condition():
            if time.monotonic() > deadline:
                raise AssertionError("the desktop did not get ready within %s s" % timeout)
            time.sleep(step)

    def stop(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
        for process in reversed(self.processes):
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
