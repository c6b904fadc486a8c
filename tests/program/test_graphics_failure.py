"""A window or Direct3D object that cannot be made is shown to the viewer, logged, and ends
the run through the orderly end with a failing exit code."""

import os
import unittest

import wineprogram

E_INVALIDARG = 0x80070057


class GraphicsFailureTest(unittest.TestCase):
    def setUp(self):
        wineprogram.require_harness()

    def test_failed_depth_buffer_names_the_call_and_ends_with_its_result(self):
        with wineprogram.WorkingDirectory() as cwd:
            program = wineprogram.Program(os.environ["OSTREL_GRAPHICS_FAILURE_PROBE"], cwd)
            box = wineprogram.find_window("OstrelMinimal - error")
            wineprogram.screenshot("graphics-failure-message-box")
            wineprogram.press_key(box, "Return")
            # The result code is the exit code; a Unix parent sees its low 8 bits.
            self.assertEqual(program.wait(), E_INVALIDARG & 0xFF, program.output())

            log = (cwd / "demo.log").read_text()
            self.assertIn("[critical]", log)
            self.assertIn("CreateTexture2D (depth-stencil buffer, 0 x 0) failed (0x80070057)", log)
            self.assertFalse(wineprogram.window_ids("OstrelMinimal"))


if __name__ == "__main__":
    wineprogram.main()
