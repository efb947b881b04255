"""A second start of the real program."""

import time

from harness import Program, ProgramTest, main, store_lines

HIDDEN = store_lines(host="127.0.0.1", interval=300, sync_on_startup=0, start_server=0)


class SecondInstance(ProgramTest):
    def test_a_second_start_ends_and_shows_the_first_window(self):
        first = self.program(name="shared", store=HIDDEN).start()
        first.wait_for(r"horalux\.ui: status")
        self.assertEqual(first.matching("window shown"), [])
        second = self.program(name="shared", store=HIDDEN).start()
        self.assertEqual(second.process.wait(20), 0)
        first.wait_for(r"horalux\.ui: window shown")
        self.assertEqual(second.matching("window shown"), [])
        self.assertTrue(first.alive())

    def test_after_the_first_is_killed_the_next_start_runs(self):
        first = self.program(name="shared", store=HIDDEN).start()
        first.wait_for(r"horalux\.ui: status")
        first.process.kill()
        first.process.wait()
        second = self.program(name="shared", store=HIDDEN).start()
        second.wait_for(r"horalux\.ui: status")
        time.sleep(0.5)
        self.assertTrue(second.alive())


if __name__ == "__main__":
    main()
