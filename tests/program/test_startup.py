"""The program starts under Wine, leaves an empty log and ends with exit code 0."""

import os
import unittest

import wineprogram


class StartupTest(unittest.TestCase):
    def setUp(self):
        wineprogram.require_harness()

    def test_run_leaves_an_empty_log_and_exits_with_zero(self):
        with wineprogram.WorkingDirectory() as cwd:
            (cwd / "demo.log").write_text("left over from an earlier run\n")
            program = wineprogram.Program(os.environ["OSTREL_DEMO_EXE"], cwd)
            wineprogram.press_key(wineprogram.find_window("Quorvel feat. Tessane"), "Return")
            wineprogram.press_key_until_ended(program, wineprogram.find_window("OstrelMinimal"),
                                              "Escape")
            self.assertEqual(program.wait(), 0, program.output())
            log = cwd / "demo.log"
            self.assertTrue(log.exists())
            self.assertEqual(log.read_text(), "")


if __name__ == "__main__":
    wineprogram.main()
