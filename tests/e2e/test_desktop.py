"""The real program on the desktops people use: a panel that hosts StatusNotifierItems
(xfce4-panel, lxqt-panel) with a notification server (dunst), no notification area at
all, an XEmbed tray that comes up late (icewm), and a Wayland compositor (weston). Each
desktop part is Debian's own, started by the test under Xvfb on a private session bus."""

import os
import re
import shutil
import signal
import threading
import time
import unittest

from desktop import PANEL_ICON, Desktop, installed
from harness import BUILD, ProgramTest, main, store_lines
from peers import BadPeer, sends, value_bytes

SAVED_HOST = store_lines(host="127.0.0.1", interval=300, sync_on_startup=1, start_server=0)
NOT_SET = r"horalux\.log: -> .* 127\.0\.0\.1 \* difference .* clock not set"
SHOTS = os.path.join(BUILD, "e2e-screenshots")


class Notifications:
    """What a bus monitor saw of the Notify calls: each call's strings, in order."""

    def __init__(self, monitor):
        self.calls = []
        self.changed = threading.Condition()
        self.thread = threading.Thread(target=self._read, args=(monitor,), daemon=True)
        self.thread.start()

    def _read(self, monitor):
        for raw in monitor.stdout:
            line = raw.decode("utf-8", "replace")
            with self.changed:
                if "member=Notify" in line:
                    self.calls.append([])
                elif self.calls and re.search(r'(^|\s)string "', line):
                    self.calls[-1].append(re.search(r'string "(.*?)"?$', line).group(1))
                self.changed.notify_all()

    def wait_for(self, summary, timeout=15):
        """The strings of the first notification with `summary`: sender, icon, summary,
        body, then the hints' keys and values."""
        deadline = time.monotonic() + timeout
        with self.changed:
            while True:
                for call in self.calls:
                    if len(call) > 3 and call[2] == summary:
                        return call
                left = deadline - time.monotonic()
                if left <= 0:
                    raise AssertionError("no notification %r; saw %r" % (summary, self.calls))
                self.changed.wait(left)


class DesktopTest(ProgramTest):
    def setUp(self):
        super().setUp()
        self.desktops = []
        os.makedirs(SHOTS, exist_ok=True)

    def tearDown(self):
        super().tearDown()  # the program first, while its desktop is still there
        for desktop in self.desktops:
            desktop.stop()

    def desktop(self, *needs):
        if not installed("Xvfb", "dbus-daemon", "xdotool", "import", *needs):
            self.skipTest("needs %s (scripts/install-deps test)" % " ".join(needs))
        desktop = Desktop(self.workdir)
        self.desktops.append(desktop)
        return desktop.start_x().start_bus()

    def start_program(self, desktop, **settings):
        program = self.program(**settings)
        return program.start(display=desktop.display,
                             variables=["DBUS_SESSION_BUS_ADDRESS=" + desktop.bus])

    def wait_for_item(self, desktop):
        desktop.wait_until(lambda: desktop.registered_items())
        return desktop.registered_items()[0]

    def shot(self, desktop, name, crop=None):
        desktop.screenshot(os.path.join(SHOTS, name), crop)


class StatusNotifierHosts(DesktopTest):
    def test_xfce_shows_horaluxs_menu_its_window_and_its_notification(self):
        desktop = self.desktop("xfce4-panel", "dunst", "dbus-monitor", "gdbus")
        desktop.start_dunst().start_xfce_panel()
        notifications = Notifications(desktop.notifications())
        with BadPeer(sends(value_bytes)):  # answers: nobody may not set the clock
            program = self.start_program(desktop, store=SAVED_HOST)
            program.wait_for(NOT_SET, timeout=15)
        item = self.wait_for_item(desktop)
        title = desktop.item_call(item, "/StatusNotifierItem", "org.freedesktop.DBus.Properties.Get",
                                  "org.kde.StatusNotifierItem", "Title")
        self.assertIn("'Horalux'", title)
        layout = desktop.item_call(item, "/MenuBar", "com.canonical.dbusmenu.GetLayout", "0", "-1",
                                   "@as []")
        self.assertIn("'Options ...'", layout)
        self.assertIn("'Exit'", layout)
        sent = notifications.wait_for("Clock not set")
        self.assertEqual(sent[0], "Horalux")
        self.assertIn("desktop-entry", sent)
        self.assertEqual(sent[sent.index("desktop-entry") + 1], "example.horalux.Horalux")

        x, y = PANEL_ICON
        desktop.xdotool("mousemove", str(x), str(y), "click", "3")
        time.sleep(1)  # the panel draws its menu: for the picture only
        self.shot(desktop, "linux-xfce-menu.png", "320x160+0+320")
        start = program.line_count()
        desktop.xdotool("key", "Down", "Return")
        program.wait_for(r"^horalux\.ui: window shown", start=start)
        start = program.line_count()
        desktop.xdotool("key", "Return")  # "Hide" is the default button
        program.wait_for(r"^horalux\.ui: window hidden", start=start)
        start = program.line_count()
        desktop.xdotool("mousemove", str(x), str(y), "click", "--repeat", "2", "--delay", "150",
                        "1")
        program.wait_for(r"^horalux\.ui: window shown", start=start)
        time.sleep(1)
        self.shot(desktop, "linux-xfce-double-click.png")
        self.assertTrue(program.alive())
        desktop.xdotool("mousemove", str(x), str(y), "click", "3")
        time.sleep(1)
        desktop.xdotool("key", "Down", "Down", "Return")  # past the line to "Exit"
        self.assertEqual(program.process.wait(15), 0)

    def test_lxqt_a_qt_host_shows_the_menu_and_the_window(self):
        desktop = self.desktop("lxqt-panel")
        desktop.start_lxqt_panel()
        program = self.start_program(desktop, store=SAVED_HOST)
        program.wait_for(r"Connect Error", timeout=15)
        self.wait_for_item(desktop)
        time.sleep(1)  # the panel lays out its new button
        x, y = PANEL_ICON
        desktop.xdotool("mousemove", str(x), str(y), "click", "3")
        time.sleep(1)
        self.shot(desktop, "linux-lxqt-menu.png", "320x160+0+320")
        start = program.line_count()
        desktop.xdotool("key", "Down", "Return")
        program.wait_for(r"^horalux\.ui: window shown", start=start)
        desktop.xdotool("key", "Return")
        program.wait_for(r"^horalux\.ui: window hidden", start=start)
        start = program.line_count()
        desktop.xdotool("mousemove", str(x), str(y), "click", "1")  # its primary action
        program.wait_for(r"^horalux\.ui: window shown", start=start)
        desktop.xdotool("mousemove", str(x), str(y), "click", "3")
        time.sleep(1)
        desktop.xdotool("key", "Up", "Return")  # the last item, "Exit"
        self.assertEqual(program.process.wait(15), 0)


class NoNotificationArea(DesktopTest):
    def test_the_window_comes_after_the_wait_and_the_icon_with_a_tray_started_later(self):
        desktop = self.desktop("dunst", "dbus-monitor", "icewm", "convert")
        desktop.start_dunst()
        notifications = Notifications(desktop.notifications())
        started = time.monotonic()
        program = self.start_program(desktop, store=SAVED_HOST)
        program.wait_for(r"^horalux\.ui: window shown", timeout=15)
        waited = time.monotonic() - started
        self.assertGreater(waited, 3)  # it waited for a tray first
        sent = notifications.wait_for("Time host not reachable")
        self.assertEqual(sent[0], "Horalux")
        self.shot(desktop, "linux-no-tray.png")

        tray = "220x30+300+450"  # icewm's task bar, left of its clock
        self.assertEqual(desktop.red_pixels(tray), 0)
        desktop.start_icewm()
        desktop.wait_until(lambda: desktop.red_pixels(tray) > 20, timeout=20, step=0.5)
        start = program.line_count()
        desktop.xdotool("search", "--name", "^Horalux$", "windowactivate")
        desktop.xdotool("key", "Return")  # now "Hide" has a tray to go into
        program.wait_for(r"^horalux\.ui: window hidden", start=start)


class Wayland(DesktopTest):
    def test_a_native_window_with_the_menu_entrys_id_that_ends_at_sigterm(self):
        if not installed("weston") or not os.path.exists(
                "/usr/lib/x86_64-linux-gnu/qt6/plugins/platforms/libqwayland-generic.so"):
            self.skipTest("needs weston and qt6-wayland (scripts/install-deps test)")
        desktop = Desktop(self.workdir)
        self.desktops.append(desktop)
        socket = desktop.start_weston()
        program = self.program(store=SAVED_HOST).start(variables=[
            "QT_QPA_PLATFORM=wayland", "WAYLAND_DISPLAY=" + socket, "WAYLAND_DEBUG=client"])
        program.wait_for(r'xdg_toplevel@\d+\.set_app_id\("example\.horalux\.Horalux"\)',
                         timeout=15)
        program.wait_for(r"^horalux\.ui: window shown", timeout=15)
        started = time.monotonic()
        program.process.send_signal(signal.SIGTERM)
        self.assertEqual(program.process.wait(10), 0)
        print("ended %.2f s after SIGTERM" % (time.monotonic() - started))


if __name__ == "__main__":
    main()
