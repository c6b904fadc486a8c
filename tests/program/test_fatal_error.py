"""An error nothing catches is shown to the viewer, logged, and ends with a non-zero code."""

import os
import unittest

import wineprogram


class FatalErrorTest(unittest.TestCase):
    def setUp(self):
        wineprogram.require_harness()

    def test_uncaught_error_is_shown_logged_and_fails_the_run(self):
        with wineprogram.WorkingDirectory() as cwd:
            program = wineprogram.Program(os.environ["OSTREL_FATAL_ERROR_PROBE"], cwd)
            box = wineprogram.find_window("OstrelMinimal - error")
            wineprogram.screenshot("fatal-error-message-box")
            wineprogram.press_key(box, "Return")
            self.assertEqual(program.wait(), 1, program.output())

            log = (cwd / "demo.log").read_text()
            self.assertIn("[critical]", log)
            self.assertIn("std::runtime_error", log)
            self.assertIn("Marker 'Stop' comes before marker 'Finish'", log)


if __name__ == "__main__":
    wineprogram.main()
