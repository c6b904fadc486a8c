"""Running the Windows programs under Wine in the test harness, as a viewer would."""

import os
import pathlib
import shutil
import subprocess
import tempfile
import time
import unittest

SOURCE_DIR = pathlib.Path(os.environ.get("OSTREL_SOURCE_DIR", "."))
ARTIFACTS = pathlib.Path(os.environ.get("OSTREL_ARTIFACTS", "artifacts"))

# Bounds on waits: they catch a program that hangs, they do not measure its speed. Every wait
# returns as soon as what it waits for has happened, so a generous bound costs a passing test
# nothing; here a 1920x1080 frame takes one to five seconds, and with two tests at once (as CI
# runs them) or other work on the machine, several times what it takes on a quiet one.
WINDOW_SECONDS = 180  # Wine starting the program, and its start-up up to a window
END_SECONDS = 600  # a run, or its way out through several frames of one message each

# What the test that runs now started, for the report of its failure.
_started_programs = []
_last_screenshot = None


def require_harness():
    if not os.environ.get("OSTREL_HARNESS"):
        raise unittest.SkipTest("needs tools/harness.sh (display, sound, Wine prefix)")


class WorkingDirectory:
    """A fresh working directory holding a link to the production's resources folder."""

    def __init__(self):
        self.path = pathlib.Path(tempfile.mkdtemp(prefix="ostrel-run-"))
        (self.path / "resources").symlink_to(SOURCE_DIR / "resources")

    def __enter__(self):
        return self.path

    def __exit__(self, *exc):
        shutil.rmtree(self.path, ignore_errors=True)


class Program:
    """A Windows program started under Wine in the background."""

    def __init__(self, exe, cwd, env=None, args=()):
        # Output goes to a file, not a pipe: Wine's services may inherit it and outlive us.
        self.exe = pathlib.Path(exe).name
        self.log = tempfile.TemporaryFile()
        _started_programs.append(self)
        self.process = subprocess.Popen(
            ["wine", str(exe), *args], cwd=cwd, env={**os.environ, **(env or {})},
            stdout=self.log, stderr=subprocess.STDOUT)

    def wait(self, timeout=END_SECONDS):
        try:
            self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            raise AssertionError(f"still running after {timeout} s")
        return self.process.returncode

    def running(self):
        return self.process.poll() is None

    def output(self):
        self.log.seek(0)
        return self.log.read().decode(errors="replace")


def find_window(name, timeout=WINDOW_SECONDS):
    """The X id of the first visible window whose title is exactly name."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{name}$"],
                               capture_output=True, text=True)
        ids = found.stdout.split()
        if ids:
            return ids[0]
        time.sleep(0.2)
    raise AssertionError(f"no window named {name!r} within {timeout} s")


def focus(window):
    """Gives window the keyboard focus. With no window manager, Wine learns of the focus only
    from the X focus event, which focusing an already focused window does not send: so the
    focus goes to the root window first."""
    root = subprocess.run(["xdotool", "search", "--maxdepth", "0", "--name", ".*"],
                          capture_output=True, text=True, check=True).stdout.split()[0]
    subprocess.run(["xdotool", "windowfocus", "--sync", root], check=True)
    subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True)


def press_key(window, key):
    focus(window)
    subprocess.run(["xdotool", "key", "--clearmodifiers", key], check=True)


def press_keys(window, *keys):
    """Presses keys one after another into window, with a pause a hand would leave."""
    focus(window)
    for key in keys:
        subprocess.run(["xdotool", "key", "--clearmodifiers", key], check=True)
        time.sleep(0.15)


def click(window, x, y):
    """Left click at (x, y) pixels inside window."""
    subprocess.run(["xdotool", "mousemove", "--window", window, str(round(x)), str(round(y)),
                    "click", "1"], check=True)


def window_ids(name):
    """X ids of the visible windows whose title is exactly name (none is fine)."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{name}$"],
                           capture_output=True, text=True)
    return found.stdout.split()


def geometry(window):
    """(x, y, width, height, border) of window on the screen, as xwininfo reports them."""
    info = subprocess.run(["xwininfo", "-id", window], capture_output=True, text=True,
                          check=True).stdout
    fields = {}
    for line in info.splitlines():
        key, _, value = line.strip().partition(":")
        fields[key] = value.strip()
    return (int(fields["Absolute upper-left X"]), int(fields["Absolute upper-left Y"]),
            int(fields["Width"]), int(fields["Height"]), int(fields["Border width"]))


def screenshot(name):
    """Saves the whole screen as artifacts/NAME.png and returns its path."""
    global _last_screenshot
    ARTIFACTS.mkdir(parents=True, exist_ok=True)
    path = ARTIFACTS / f"{name}.png"
    subprocess.run(["import", "-window", "root", str(path)], check=True)
    _last_screenshot = path
    return path


def processes_running(name):
    """Command lines of the processes whose command line mentions name."""
    found = subprocess.run(["pgrep", "-a", "-f", name], capture_output=True, text=True)
    return [line for line in found.stdout.splitlines() if "pgrep" not in line]


def press_key_until_ended(program, window, key, timeout=END_SECONDS):
    """Presses key into window once a second until program ends. Wine drops the keys that
    reach a window before its thread first looks at its messages, as a viewer's keys during
    start-up may be lost; the second press is the viewer pressing again."""
    deadline = time.monotonic() + timeout
    while program.running() and time.monotonic() < deadline:
        try:
            press_key(window, key)
        except subprocess.CalledProcessError:
            if window_exists(window):
                raise
            return  # the window closed between the check and the press: the program is ending
        time.sleep(1)


def window_exists(window):
    return subprocess.run(["xwininfo", "-id", window], capture_output=True).returncode == 0


class _ExplainingResult(unittest.TextTestResult):
    """Under a failing test: what each program it started printed, and the last screenshot."""

    def startTest(self, test):
        global _last_screenshot
        _started_programs.clear()
        _last_screenshot = None
        super().startTest(test)

    def addFailure(self, test, err):
        super().addFailure(test, err)
        self._explain(test)

    def addError(self, test, err):
        super().addError(test, err)
        self._explain(test)

    def stopTest(self, test):
        super().stopTest(test)
        for program in _started_programs:
            program.log.close()

    def _explain(self, test):
        for program in _started_programs:
            state = "still running" if program.running() else f"exit code {program.process.returncode}"
            self.stream.writeln(f"--- {test.id()}: {program.exe} ({state}) printed:")
            self.stream.writeln(program.output().rstrip() or "(nothing)")
        if _last_screenshot:
            self.stream.writeln(f"--- the last screenshot: {_last_screenshot}")
        self.stream.flush()


def main():
    """unittest.main, with each failure explained by its programs' output."""
    unittest.main(testRunner=unittest.TextTestRunner(resultclass=_ExplainingResult, verbosity=2))
