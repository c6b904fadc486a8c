"""The program plays the song to its end under Wine and then ends with exit code 0; without
its song it ends at once, also with 0. The song here is the tests' one-second tone and its
MIDI file, in a working directory of their own."""

import os
import pathlib
import shutil
import tempfile
import time
import unittest

import mido

import wineprogram

DATA = wineprogram.SOURCE_DIR / "tests" / "data"


class SongDirectory:
    """A working directory whose resources folder holds the given files under the names the
    program looks for."""

    def __init__(self, audio=None, midi=None):
        self.path = pathlib.Path(tempfile.mkdtemp(prefix="ostrel-audio-"))
        resources = self.path / "resources"
        resources.mkdir()
        if audio:
            shutil.copy(DATA / audio, resources / "brannoch-edit-2bar.ogg")
        if midi:
            shutil.copy(DATA / midi, resources / "Brannoch.mid")

    def __enter__(self):
        return self.path

    def __exit__(self, *exc):
        shutil.rmtree(self.path, ignore_errors=True)


def write_timeline(path):
    """Two sections over the one-second song, no effect tracks: a timeline the program takes."""
    song = mido.MidiFile(ticks_per_beat=480)
    song.tracks.append(mido.MidiTrack([
        mido.MetaMessage("set_tempo", tempo=500000, time=0),
        mido.MetaMessage("marker", text="Quorvel", time=0),
        mido.MetaMessage("marker", text="Tessane", time=480),
        mido.MetaMessage("end_of_track", time=480),
    ]))
    song.save(path)


def run(cwd):
    program = wineprogram.Program(os.environ["OSTREL_DEMO_EXE"], cwd)
    wineprogram.press_key(wineprogram.find_window("Quorvel feat. Tessane"), "Return")
    start = time.monotonic()
    code = program.wait(timeout=120)
    return code, time.monotonic() - start, program.output()


class AudioPlaybackTest(unittest.TestCase):
    def setUp(self):
        wineprogram.require_harness()

    def test_plays_the_song_to_its_end_then_exits_with_zero(self):
        with SongDirectory("tone-1s.ogg") as cwd:
            write_timeline(cwd / "resources" / "Brannoch.mid")
            code, elapsed, output = run(cwd)
            self.assertEqual(code, 0, output)
            self.assertGreaterEqual(elapsed, 1.0, "ended before the one-second song could play")
            self.assertEqual((cwd / "demo.log").read_text(), "")

    def test_a_damaged_song_plays_to_its_end_then_exits_with_zero(self):
        # One second whose decoder cannot be set up, four seconds damaged after 1.3 s: both
        # are heard as silence where they cannot be decoded, for their whole length.
        for audio, seconds in (("damaged-codebook.ogg", 1.0), ("damaged.ogg", 4.0)):
            with self.subTest(audio=audio), SongDirectory(audio) as cwd:
                write_timeline(cwd / "resources" / "Brannoch.mid")
                code, elapsed, output = run(cwd)
                self.assertEqual(code, 0, output)
                self.assertGreaterEqual(elapsed, seconds, "ended before the song's length")

    def test_without_its_song_ends_with_zero(self):
        # ogg-invalid-free.ogg once crashed the program in the decoder as it was refused.
        for audio, midi in ((None, "tempo-change.mid"), ("tone-1s.ogg", None),
                            ("not-ogg.ogg", "tempo-change.mid"),
                            ("ogg-invalid-free.ogg", "tempo-change.mid")):
            with self.subTest(audio=audio, midi=midi), SongDirectory(audio, midi) as cwd:
                code, _, output = run(cwd)
                self.assertEqual(code, 0, output)


if __name__ == "__main__":
    unittest.main()
