"""Start-up of the real program: first start, missing or bad host lists, bad stores."""

import os
import re
import subprocess

from harness import PROGRAM, RUN_SAFELY, ProgramTest, STORE_HEADER, main, query, store_lines

WARNING = r'message box "Warnung" "Error while reading settings\.\\r\\nPlease install Horalux again\."'
VALID = store_lines(host="127.0.0.1", interval=300, sync_on_startup=0, start_server=0)


class FirstStart(ProgramTest):
    def test_creates_an_empty_store_and_shows_the_window_without_warning(self):
        program = self.program(host_list=b"time.example\r\n").start()
        program.wait_for(r"horalux\.ui: window shown")
        program.wait_for(r"horalux\.ui: status")
        self.assertEqual(program.matching("message box"), [])
        text = program.store_text()
        self.assertIn("[HKEY_CURRENT_USER\\SOFTWARE\\Vantok\\Horalux]", text)
        self.assertNotIn('"=', text)
        self.assertEqual(os.stat(program.store_path).st_mode & 0o777, 0o600)
        self.assertEqual(program.stop(), 0)

    def test_a_missing_host_list_warns_and_starts_no_server(self):
        store = store_lines(host="127.0.0.1", start_server=1)
        program = self.program(host_list=None, store=store).start()
        program.wait_for(r"horalux\.ui: window shown")
        program.wait_for(WARNING)
        program.wait_for(r"horalux\.ui: status  NTP Server not running")
        with self.assertRaises(OSError):
            query()


class BadHostLists(ProgramTest):
    def start_with(self, host_list):
        program = self.program(host_list=host_list, store=VALID).start()
        program.wait_for(r"horalux\.ui: status", timeout=20)
        self.assertEqual(program.matching("message box"), [])
        self.assertEqual(program.matching("window shown"), [])  # valid settings: in the tray
        self.assertTrue(program.alive())
        self.assertEqual(program.stop(), 0)

    def test_binary_garbage(self):
        self.start_with(bytes(range(256)) * 64 + b"\x00\xff\r\n\x1a" + os.urandom(4096))

    def test_ten_megabytes(self):
        self.start_with(b"host.example\r\n" * (10 * 1024 * 1024 // 14))

    def test_a_line_of_a_hundred_thousand_characters(self):
        self.start_with(b"x" * 100000 + b"\r\nlocalhost\r\n")


class BadStores(ProgramTest):
    def test_a_truncated_store_warns(self):
        full = (STORE_HEADER + VALID).encode("latin-1")
        cut = full[: full.index(b'"Interval"') + 16]  # in the middle of the interval
        program = self.program(store_bytes=cut).start()
        program.wait_for(WARNING)
        program.wait_for(r"horalux\.ui: window shown")

    def test_wrong_types_warn(self):
        store = '"Host"="127.0.0.1"\r\n"Interval"="300"\r\n'
        program = self.program(store=store).start()
        program.wait_for(WARNING)

    def test_invalid_escapes_read_as_unreadable_and_warn(self):
        store = '"Host"="bad\\q escape\r\n' + store_lines(interval=300)
        program = self.program(store=store).start()
        program.wait_for(WARNING)

    def test_an_unreadable_store_reads_as_a_first_start(self):
        program = self.program(store=VALID)
        os.chmod(program.store_path, 0o000)
        program.start()
        program.wait_for(r"horalux\.ui: window shown")
        program.wait_for(r"horalux\.ui: status")
        self.assertEqual(program.matching("message box"), [])

    def test_garbage_instead_of_a_store_never_crashes(self):
        program = self.program(store_bytes=os.urandom(65536)).start()
        program.wait_for(r"horalux\.ui: status", timeout=20)
        self.assertTrue(program.alive())
        self.assertEqual(program.stop(), 0)


class CommandLine(ProgramTest):
    def answer(self, *arguments, program=PROGRAM):
        home = os.path.join(self.workdir, "home")
        return subprocess.run([RUN_SAFELY, "--home", home, "--", program, *arguments],
                              capture_output=True, text=True, timeout=20)

    def test_help_and_version_answer_and_end_without_starting_anything(self):
        usage = self.answer("--help")
        self.assertEqual((usage.returncode, usage.stderr), (0, ""))
        self.assertRegex(usage.stdout, r"^Usage: horalux .*\n(.*\n)*.*--version")
        version = self.answer("-platform", "offscreen", "--version")
        self.assertEqual((version.returncode, version.stderr), (0, ""))
        self.assertRegex(version.stdout, r"^Horalux \d+\.\d+\.\d+\n$")
        self.assertFalse(os.listdir(os.path.join(self.workdir, "home", "runtime")))  # no guard

    def test_an_unknown_option_is_one_line_and_status_two_in_the_name_it_was_run_by(self):
        renamed = os.path.join(self.workdir, "clockkeeper")
        os.symlink(PROGRAM, renamed)
        for program, name in ((PROGRAM, "horalux"), (renamed, "clockkeeper")):
            with self.subTest(name=name):
                answer = self.answer("--bogus", program=program)
                self.assertEqual((answer.returncode, answer.stdout), (2, ""))
                self.assertEqual(answer.stderr, "%s: unknown option '--bogus' (see %s --help)\n"
                                 % (name, program))


if __name__ == "__main__":
    main()
