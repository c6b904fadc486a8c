"""The program plays the song to its end under Wine and then ends with exit code 0; without
its song, its timeline or a sound output it says why in a message box and ends with a
non-zero code. The song here is the tests' one-second tone and its MIDI file, in a working
directory of their own."""

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
    program looks for, beside the production's shaders, pictures and scenes."""

    def __init__(self, audio=None, midi=None):
        self.path = pathlib.Path(tempfile.mkdtemp(prefix="ostrel-audio-"))
        resources = self.path / "resources"
        resources.mkdir()
        for entry in (wineprogram.SOURCE_DIR / "resources").iterdir():
            if entry.name not in ("brannoch-edit-2bar.ogg", "Brannoch.mid"):
                (resources / entry.name).symlink_to(entry)
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
    code = program.wait()
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

    def test_without_its_song_or_a_sound_output_says_why_and_fails(self):
        no_sound_server = {"PULSE_SERVER": "unix:/nonexistent/ostrel-no-sound-server"}
        cases = (
            ("missing-music", None, "tempo-change.mid", {},
             r"Unable to read the music file resources\brannoch-edit-2bar.ogg"),
            ("unreadable-music", "not-ogg.ogg", "tempo-change.mid", {},
             r"Unable to read the music file resources\brannoch-edit-2bar.ogg"),
            # It once crashed the program inside the decoder as it was refused.
            ("music-cut-in-its-headers", "ogg-invalid-free.ogg", "tempo-change.mid", {},
             r"Audio library error 41: resources\brannoch-edit-2bar.ogg is not an Ogg Vorbis"),
            ("missing-midi", "tone-1s.ogg", None, {},
             r"Unable to read the MIDI file resources\Brannoch.mid"),
            ("no-sound-server", "tone-1s.ogg", "tempo-change.mid", no_sound_server,
             "No sound output device was found"),
        )
        for name, audio, midi, env, message in cases:
            with self.subTest(name), SongDirectory(audio, midi) as cwd:
                program = wineprogram.Program(os.environ["OSTREL_DEMO_EXE"], cwd, env)
                wineprogram.press_key(wineprogram.find_window("Quorvel feat. Tessane"), "Return")
                box = wineprogram.find_window("OstrelMinimal - error")
                wineprogram.screenshot(f"audio-failure-{name}")
                wineprogram.press_key(box, "Return")
                self.assertEqual(program.wait(), 1, program.output())
                # The box's text also goes to the standard error stream.
                self.assertIn(message, program.output())
                self.assertIn("Audio library error", program.output())
                self.assertEqual(wineprogram.processes_running("demo.exe"), [])


if __name__ == "__main__":
    wineprogram.main()
