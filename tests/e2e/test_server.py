"""The real program's time server: a standard client, many clients, and load."""

import calendar
import os
import re
import subprocess
import threading
import time

from harness import LOAD, ProgramTest, main, query, store_lines, time_value, wait_for_port

SERVING = store_lines(host="127.0.0.1", interval=300, sync_on_startup=0, start_server=1)
INCOMING = r"horalux\.log: <- \d?\d:\d\d:\d\d  Connection from 127\.0\.0\.1$"


def listen_overflows():
    """How often this network's accept queues were full when a handshake ended."""
    with open("/proc/net/netstat") as f:
        names, values = [line.split() for line in f if line.startswith("TcpExt:")][:2]
    return int(values[names.index("ListenOverflows")])


class Server(ProgramTest):
    def start_serving(self):
        program = self.program(store=SERVING).start()
        self.assertTrue(wait_for_port(37), "the program does not listen on port 37")
        program.wait_for(r'horalux\.ui: status  NTP Server on ".*" ready!')
        return program

    def test_rdate_gets_the_right_time_and_the_connection_is_logged(self):
        program = self.start_serving()
        before = time.time()
        output = subprocess.run(["rdate", "-p", "127.0.0.1"], capture_output=True, text=True,
                                env=dict(os.environ, TZ="UTC"), timeout=30, check=True).stdout
        after = time.time()
        shown = calendar.timegm(time.strptime(output.strip(), "%a %b %d %H:%M:%S UTC %Y"))
        self.assertGreaterEqual(shown, int(before) - 1)
        self.assertLessEqual(shown, after + 1)
        program.wait_for(INCOMING)

    def test_every_connection_gets_a_log_line_and_four_bytes(self):
        program = self.start_serving()
        before = len(program.matching(INCOMING))  # waiting for the port connected once
        for _ in range(5):
            data = query()
            self.assertEqual(len(data), 4)
            self.assertLessEqual(abs(int.from_bytes(data, "big") - time_value()), 1)
        deadline = time.monotonic() + 10
        while len(program.matching(INCOMING)) < before + 5 and time.monotonic() < deadline:
            time.sleep(0.05)
        self.assertEqual(len(program.matching(INCOMING)), before + 5)

    def test_twenty_five_clients_at_once_get_answers_or_closes_without_a_byte(self):
        program = self.start_serving()
        outcomes = []
        gate = threading.Barrier(25)

        def client():
            gate.wait()
            try:
                outcomes.append(query(timeout=10))
            except OSError as error:
                outcomes.append(error)

        overflows = listen_overflows()
        clients = [threading.Thread(target=client) for _ in range(25)]
        for thread in clients:
            thread.start()
        for thread in clients:
            thread.join(30)
        overflows = listen_overflows() - overflows
        self.assertEqual(len(outcomes), 25)
        answers = [data for data in outcomes if isinstance(data, bytes) and len(data) == 4]
        refusals = [data for data in outcomes if data == b""]
        # The program itself only ever closes a refused client. A reset comes from the
        # system, when its accept queue overflows and net.ipv4.tcp_abort_on_overflow is set:
        # a real client may see it then, right as connect() ends, and only then.
        resets = [error for error in outcomes if isinstance(error, ConnectionResetError)]
        self.assertLessEqual(len(resets), overflows, outcomes)
        self.assertEqual(len(answers) + len(refusals) + len(resets), 25, outcomes)
        self.assertGreaterEqual(len(answers), 20 - len(resets))  # refused over the limit of 20
        for data in answers:
            self.assertLessEqual(abs(int.from_bytes(data, "big") - time_value()), 2)
        self.assertTrue(program.alive())

    def test_bursts_of_sixty_and_two_hundred_clients_leave_none_hanging(self):
        # Machines of a network that sync on the hour connect at once. Each client must get
        # its four bytes or the close of a refusal; one that got connected and then nothing
        # would wait until it gave up (rdate waits for minutes). The 5 s are that giving up.
        program = self.start_serving()
        for size in (60, 200):
            overflows = listen_overflows()
            burst = subprocess.run([LOAD, "--port", "37", "--burst", str(size), "--bursts", "20",
                                    "--timeout-ms", "5000"], capture_output=True, text=True,
                                   timeout=300)
            counts = {name: int(value) for name, value in re.findall(r"(\w+) (\d+)", burst.stdout)}
            self.assertEqual(counts["ok"] + counts["closed"], 20 * size, burst.stdout)
            self.assertGreater(counts["ok"], 0, burst.stdout)
            self.assertEqual(listen_overflows() - overflows, 0, "the listen queue overflowed")
            self.assertTrue(program.alive())
            print("burst: " + burst.stdout.strip())

    def test_load_of_sixty_four_clients_for_thirty_seconds(self):
        program = self.start_serving()
        time.sleep(1.5)  # let the first status refreshes pass
        threads, descriptors = program.threads(), program.descriptors()
        resident = program.resident_kib()
        load = subprocess.run([LOAD, "--port", "37", "--clients", "64", "--seconds", "30"],
                              capture_output=True, text=True, timeout=180)
        counts = {name: int(value) for name, value in re.findall(r"(\w+) (\d+)", load.stdout)}
        self.assertEqual(counts["wrong"], 0, load.stdout)  # every answer is right
        self.assertEqual(counts["short"], 0, load.stdout)  # and whole
        self.assertEqual(counts["timeout"] + counts["connect"], 0, load.stdout)  # none hangs
        self.assertGreater(counts["ok"], 1000, load.stdout)
        self.assertTrue(program.alive())
        for line in program.matching(r"horalux\.ui: status"):
            self.assertLessEqual(int(re.search(r"\| log (\d+)$", line).group(1)), 100, line)
        deadline = time.monotonic() + 15
        while time.monotonic() < deadline and (program.threads() != threads or
                                               program.descriptors() != descriptors):
            time.sleep(0.1)
        self.assertEqual(program.threads(), threads)
        self.assertEqual(program.descriptors(), descriptors)
        self.assertLess(program.resident_kib() - resident, 32 * 1024)
        print("load: " + load.stdout.strip())

    def test_a_standard_error_nobody_reads_does_not_let_a_client_end_the_program(self):
        # As after `horalux 2>&1 | head` or a closed terminal: every log line now fails.
        reader, writer = os.pipe()
        os.close(reader)
        try:
            program = self.program(store=SERVING).start(stderr=writer)
        finally:
            os.close(writer)
        self.assertTrue(wait_for_port(37), "the program does not listen on port 37")
        for _ in range(3):
            self.assertEqual(len(query()), 4)
        time.sleep(1.5)  # status lines of the trace fail to be written meanwhile
        self.assertTrue(program.alive())
        self.assertEqual(program.stop(), 0)


if __name__ == "__main__":
    main()
