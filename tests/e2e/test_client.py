"""The real program's time client against a standard RFC 868 server and bad peers, and
what it asks of the clock."""

import datetime
import os
import re
import signal
import struct
import time
import unittest
import zoneinfo

from harness import SECONDS_1900_TO_1970, ProgramTest, main, store_lines
from peers import BadPeer, FullListenQueue, Xinetd, resets, sends, stalls, trickles, value_bytes

FAKETIME = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"
RECORDER = os.environ.get("HORALUX_CLOCK_RECORDER", "")
SOURCE_DATE = int(os.environ.get("HORALUX_SOURCE_DATE_EPOCH", "0"))
IN_2001 = 978307200  # 2001-01-01 00:00 UTC: a clock whose battery died

STARTUP_RUN = store_lines(host="127.0.0.1", interval=300, sync_on_startup=1, start_server=0)
SUCCESS = r"horalux\.log: -> \d?\d:\d\d:\d\d  127\.0\.0\.1 \* difference ([+-]?\d+) sec"
NOT_SET = r" \* clock not set: Operation not permitted$"
FAILURE = r"horalux\.log: -> \d?\d:\d\d:\d\d  127\.0\.0\.1 \*\*\* Connect Error \*\*\*$"


class StandardServer(ProgramTest):
    @unittest.skipUnless(Xinetd.available(), "xinetd is unpacked by scripts/install-deps")
    def test_a_run_against_xinetd_logs_the_difference_and_that_the_clock_was_not_set(self):
        with Xinetd(self.workdir):
            time.sleep(0.5)
            program = self.program(store=STARTUP_RUN).start()
            line = program.wait_for(SUCCESS, timeout=15)
        difference = int(re.search(SUCCESS, line).group(1))
        self.assertIn(difference, (-1, 0, 1))
        self.assertRegex(line, NOT_SET)  # nobody may not set the clock: said, not hidden

    def test_nothing_listening_gives_the_connect_error_line_and_then_why(self):
        program = self.program(store=STARTUP_RUN).start()
        program.wait_for(FAILURE, timeout=15)
        why = "horalux: 127.0.0.1: Socket Error # 10061 Connection refused."
        program.wait_for("^" + re.escape(why) + "$")
        ours = program.matching(r"^horalux")
        failed = next(at for at, line in enumerate(ours) if re.search(FAILURE, line))
        self.assertEqual(ours[failed + 1], why)


class BadPeers(ProgramTest):
    def run_against(self, behaviour, outcome=r"horalux\.ui: status  NTP Server not running"):
        """Starts a program whose start-up run meets `behaviour`; returns it and how long it
        took until the `outcome` line (by default the first status after the run)."""
        with BadPeer(behaviour):
            program = self.program(store=STARTUP_RUN).start()
            started = time.monotonic()
            program.wait_for(outcome, timeout=20)
            elapsed = time.monotonic() - started
            program.wait_for(r"horalux\.ui: status  NTP Server not running", timeout=5)
        self.assertTrue(program.alive())
        return program, elapsed

    def test_two_bytes_are_no_answer_and_say_nothing(self):
        program, _ = self.run_against(sends(b"\x01\x02"))
        self.assertEqual(program.matching(r"horalux\.log: ->"), [])

    def test_eight_bytes_give_the_first_four(self):
        program, _ = self.run_against(sends(lambda: value_bytes() + b"junk"))
        self.assertRegex(program.wait_for(SUCCESS), r"difference [+-]?[01] sec")

    def test_a_close_without_data_is_a_connect_error(self):
        program, _ = self.run_against(sends(b""))
        program.wait_for(FAILURE)

    def test_a_reset_is_a_connect_error(self):
        program, _ = self.run_against(resets)
        program.wait_for(FAILURE)

    def test_trickled_bytes_still_make_the_answer(self):
        program, elapsed = self.run_against(trickles(0.4), SUCCESS)
        self.assertGreaterEqual(elapsed, 1.6)

    def test_a_stalled_peer_times_out_while_the_window_stays_alive(self):
        program, elapsed = self.run_against(stalls, FAILURE)
        self.assertGreaterEqual(elapsed, 2.5)  # one read wait of the client's Timeout
        self.assertLess(elapsed, 15)
        # The status bar kept ticking while the run waited: the window was alive.
        ticks = program.matching(r"horalux\.ui: status Connecting to 127\.0\.0\.1 \.\.\. \|")
        self.assertGreaterEqual(len(ticks), 2)


def next_fall_back(zone, after):
    """The first moment (Unix seconds, on the hour) after `after` at which `zone` puts its
    clocks back."""
    offset = lambda t: datetime.datetime.fromtimestamp(t, zone).utcoffset()
    hour = after - after % 3600 + 3600
    while offset(hour) >= offset(hour - 1):
        hour += 3600
    return hour


class WhatTheClockIsAskedFor(ProgramTest):
    """The program's clock_settime and settimeofday go to a recorder that refuses them."""

    def run_with_recorder(self, peer_ahead, tz="UTC", fake_now=None):
        """A start-up run against a peer `peer_ahead` seconds ahead of the program's clock,
        which stands at `fake_now` (Unix seconds) when given; returns the program, the
        moments the peer answered and those the clock was asked for."""
        self.assertTrue(os.path.exists(RECORDER), "the recorder is built with the program")
        program = self.program(store=STARTUP_RUN)
        record = os.path.join(program.home, "clock-requests")  # the program may write there
        variables = ["LD_PRELOAD=" + RECORDER, "HORALUX_CLOCK_RECORD=" + record]
        shift = 0
        if fake_now is not None:
            shift = int(fake_now - time.time())
            variables = ["LD_PRELOAD=%s:%s" % (RECORDER, FAKETIME), "FAKETIME=%+d" % shift,
                         "FAKETIME_DONT_FAKE_MONOTONIC=1", variables[1]]
        answered = []

        def answer():
            moment = int(time.time()) + shift + peer_ahead
            answered.append(moment)
            return struct.pack("!I", (moment + SECONDS_1900_TO_1970) & 0xFFFFFFFF)

        with BadPeer(sends(answer)):
            program.start(tz=tz, variables=variables).wait_for(SUCCESS, timeout=15)
        asked = []
        if os.path.exists(record):
            with open(record) as f:
                asked = [int(line.split()[1].split(".")[0]) for line in f]
        return program, answered, asked

    @unittest.skipUnless(os.path.exists(FAKETIME), "libfaketime is installed by scripts/install-deps")
    def test_across_a_fall_back_the_clock_is_asked_for_the_hosts_moment(self):
        berlin = zoneinfo.ZoneInfo("Europe/Berlin")
        change = next_fall_back(berlin, max(SOURCE_DATE, int(time.time())))
        program, answered, asked = self.run_with_recorder(120, "Europe/Berlin", change - 60)
        self.assertRegex(program.wait_for(SUCCESS), r"difference -1[12]\d sec")
        self.assertEqual(len(answered), 1)
        self.assertEqual(len(asked), 1)
        self.assertLessEqual(abs(asked[0] - answered[0]), 1)  # not an hour off

    def test_a_start_up_run_never_asks_for_a_step_over_15_hours(self):
        twenty_years = 7305 * 86400
        program, _, asked = self.run_with_recorder(twenty_years)
        self.assertRegex(program.wait_for(SUCCESS), r"difference -63115\d{4} sec \* clock not "
                         r"set: difference over 15 hours; press Sync Now to set it$")
        self.assertEqual(asked, [])

    @unittest.skipUnless(os.path.exists(FAKETIME), "libfaketime is installed by scripts/install-deps")
    def test_a_clock_left_in_2001_is_asked_for_a_host_at_the_real_date_at_start_up(self):
        now = int(time.time())
        program, answered, asked = self.run_with_recorder(now - IN_2001, fake_now=IN_2001)
        self.assertRegex(program.wait_for(SUCCESS), r"difference -\d+ sec \* clock not set: ")
        self.assertEqual(len(answered), 1)
        self.assertEqual(len(asked), 1)
        self.assertLessEqual(abs(asked[0] - answered[0]), 1)

    @unittest.skipUnless(os.path.exists(FAKETIME), "libfaketime is installed by scripts/install-deps")
    def test_a_clock_left_in_2001_is_not_asked_for_a_host_in_2001(self):
        program, _, asked = self.run_with_recorder(0, fake_now=IN_2001)
        self.assertRegex(program.wait_for(SUCCESS), r"difference [+-]?[01] sec \* clock not set: "
                         r"the time host's time is before this program was built$")
        self.assertEqual(asked, [])

    def test_ten_seconds_off_without_the_right_says_so(self):
        with BadPeer(sends(lambda: value_bytes(-10))):
            program = self.program(store=STARTUP_RUN).start()
            line = program.wait_for(SUCCESS, timeout=15)
        self.assertRegex(line, r"difference \+(9|10|11) sec" + NOT_SET)


class Quitting(ProgramTest):
    def test_a_quit_signal_during_a_hanging_connect_ends_the_program_at_once(self):
        with FullListenQueue():
            for number in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP, signal.SIGQUIT):
                with self.subTest(signal=number.name):
                    program = self.program(name=number.name, store=STARTUP_RUN).start()
                    # The status refresh runs in the connect's idle steps: the run waits.
                    program.wait_for(r"horalux\.ui: status Connecting to 127\.0\.0\.1 \.\.\. \|")
                    started = time.monotonic()
                    program.process.send_signal(number)
                    self.assertEqual(program.process.wait(30), 0)  # the connect limit is 120 s
                    self.assertLess(time.monotonic() - started, 5)
                    self.assertEqual(program.matching(r"horalux\.log: "), [])  # no Connect Error


if __name__ == "__main__":
    main()
