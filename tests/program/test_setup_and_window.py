"""The setup dialog, "config.json", the main window and the ways out, driven as a viewer would."""

import json
import os
import subprocess
import time
import unittest

import wineprogram

DIALOG = "Quorvel feat. Tessane"
WINDOW = "OstrelMinimal"
# Tab order from the dialog's first focus (Run): Cancel, Resolution, Fullscreen, ...
TO_FULLSCREEN = ("Tab", "Tab", "Tab")


def release_screen(cwd):
    document = json.loads((cwd / "config.json").read_bytes())
    return {entry["key"]: entry["value"]
            for entry in document["configuration"]["release"]["screen"]}


def main_window_position(cwd):
    document = json.loads((cwd / "config.json").read_bytes())
    for entry in document["configuration"]["uiState"]:
        if entry["key"] == "mainWindowPosition":
            return entry["value"]["first"], entry["value"]["second"]
    raise AssertionError("no mainWindowPosition in config.json")


def write_position(cwd, x, y):
    """A "config.json" edited by hand: the defaults with the window moved."""
    text = (wineprogram.SOURCE_DIR / "tests/data/config/defaults.json").read_text()
    at = text.index('"mainWindowPosition"')
    head, tail = text[:at], text[at:]
    tail = tail.replace('"first": 0', f'"first": {x}', 1).replace('"second": 0', f'"second": {y}', 1)
    (cwd / "config.json").write_text(head + tail)


class SetupAndWindowTest(unittest.TestCase):
    def setUp(self):
        wineprogram.require_harness()

    def start(self, cwd):
        program = wineprogram.Program(os.environ["OSTREL_DEMO_EXE"], cwd)
        self.addCleanup(lambda: program.process.poll() is None and program.process.kill())
        return program, wineprogram.find_window(DIALOG)

    def wait_for_exit_without_window(self, program, timeout):
        deadline = time.monotonic() + timeout
        while program.process.poll() is None:
            self.assertFalse(wineprogram.window_ids(WINDOW), "a main window opened")
            self.assertLess(time.monotonic(), deadline, f"still running after {timeout} s")
            time.sleep(0.05)
        return program.process.returncode

    def assert_quiet_end(self, program, cwd, code):
        self.assertEqual(code, 0, program.output())
        self.assertEqual((cwd / "demo.log").read_bytes(), b"")
        self.assertFalse((cwd / "config.json.tmp").exists())
        self.assertFalse((cwd / "imgui.ini").exists())

    def test_dialog_shows_its_choices_and_cancel_writes_config_without_a_window(self):
        with wineprogram.WorkingDirectory() as cwd:
            program, dialog = self.start(cwd)
            time.sleep(0.5)
            wineprogram.screenshot("setup-dialog")
            # Windowed, then always on top; Cancel with the mouse.
            wineprogram.press_keys(dialog, *TO_FULLSCREEN, "space", "Tab", "space")
            wineprogram.screenshot("setup-dialog-windowed-on-top")
            _, _, width, height, _ = wineprogram.geometry(dialog)
            wineprogram.click(dialog, width * 153 / 186, height * 97 / 111)  # "Cancel"

            self.assert_quiet_end(program, cwd, self.wait_for_exit_without_window(program, wineprogram.END_SECONDS))
            self.assertEqual(release_screen(cwd), {
                "alwaysOnTop": 1, "height": 1080, "multiSample": 0, "vsync": 0, "width": 1920,
                "windowed": 1})
            # The layout of a 4-space pretty writer, with the text-mode line ends of Windows.
            written = (cwd / "config.json").read_bytes()
            expected = json.dumps(json.loads(written), indent=4).replace("\n", "\r\n")
            self.assertEqual(written, expected.encode())

    def test_fullscreen_clears_and_disables_always_on_top(self):
        with wineprogram.WorkingDirectory() as cwd:
            program, dialog = self.start(cwd)
            # Windowed, always on top, back to fullscreen; then Tab passes the disabled box
            # and lands on Vertical sync.
            wineprogram.press_keys(dialog, *TO_FULLSCREEN, "space", "Tab", "space",
                                   "shift+Tab", "space", "Tab", "space")
            wineprogram.screenshot("setup-dialog-fullscreen-again")
            wineprogram.press_keys(dialog, "Escape")

            self.assert_quiet_end(program, cwd, self.wait_for_exit_without_window(program, wineprogram.END_SECONDS))
            screen = release_screen(cwd)
            self.assertEqual((screen["windowed"], screen["alwaysOnTop"], screen["vsync"]),
                             (0, 0, 1))

    def test_run_opens_a_borderless_window_at_the_configured_position(self):
        with wineprogram.WorkingDirectory() as cwd:
            write_position(cwd, 40, 30)
            program, dialog = self.start(cwd)
            wineprogram.press_keys(dialog, *TO_FULLSCREEN, "space", "Return")
            window = wineprogram.find_window(WINDOW)
            time.sleep(1)
            wineprogram.screenshot("main-window-windowed")
            self.assertEqual(wineprogram.geometry(window), (40, 30, 1920, 1080, 0))
            self.assertIsNone(program.process.poll())

            # The viewer makes it smaller: the buffers follow and the frames go on.
            # Loading the music holds the message loop back for a moment.
            subprocess.run(["xdotool", "windowsize", window, "800", "450"], check=True)
            deadline = time.monotonic() + wineprogram.WINDOW_SECONDS
            while wineprogram.geometry(window)[2:4] != (800, 450) and time.monotonic() < deadline:
                time.sleep(0.1)
            self.assertEqual(wineprogram.geometry(window)[2:4], (800, 450))
            self.assertIsNone(program.process.poll(), program.output())

            # The frame loop takes one window message a pass: the key reaches the window
            # procedure a few frames after the press. How long that took is a figure, not a
            # bound: a 1920x1080 frame costs seconds here, more on a busy machine.
            pressed = time.monotonic()
            wineprogram.press_key(window, "Escape")
            code = program.wait()
            print(f"Escape to exit: {time.monotonic() - pressed:.2f} s")
            self.assert_quiet_end(program, cwd, code)
            self.assertEqual(main_window_position(cwd), (40, 30))
            self.assertEqual(release_screen(cwd)["windowed"], 1)

    def test_closing_the_fullscreen_window_ends_with_zero(self):
        with wineprogram.WorkingDirectory() as cwd:
            program, dialog = self.start(cwd)
            wineprogram.press_keys(dialog, "Return")
            window = wineprogram.find_window(WINDOW)
            wineprogram.screenshot("main-window-fullscreen")
            self.assertEqual(wineprogram.geometry(window), (0, 0, 1920, 1080, 0))

            # Pressed at once, during start-up: Wine without the X input extension once spun
            # forever in the program's message loop while the loading picture showed.
            # Alt+F4 reaches the quit message through the key, the system command, the close
            # and the destroy: one pass of the frame loop each.
            pressed = time.monotonic()
            wineprogram.press_key(window, "alt+F4")
            code = program.wait()
            print(f"Alt+F4 to exit: {time.monotonic() - pressed:.2f} s")
            self.assert_quiet_end(program, cwd, code)


if __name__ == "__main__":
    wineprogram.main()
