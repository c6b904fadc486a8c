"""A timeline that breaks the authoring rules ends the run with a message box that says
what is wrong, a critical line in the log, and a non-zero exit code."""

import os
import shutil
import unittest

import mido

import wineprogram
from test_audio_playback import DATA, SongDirectory


def timeline_with_a_parameter_after_every_block(path):
    song = mido.MidiFile(ticks_per_beat=480)
    conductor = mido.MidiTrack([mido.MetaMessage("marker", text="Quorvel", time=0)])
    flash = mido.MidiTrack([
        mido.MetaMessage("track_name", name="Flash", time=0),
        mido.Message("note_on", note=0, velocity=100, time=0),
        mido.Message("note_on", note=0, velocity=0, time=240),
        mido.Message("note_on", note=2, velocity=127, time=10),  # after the only block start
        mido.Message("note_on", note=2, velocity=0, time=10),
    ])
    song.tracks.extend([conductor, flash])
    song.save(path)


def timeline_with_an_incomplete_block(path):
    """A "Flash" block at bar 2 without its end value: it would end the show when it comes up."""
    song = mido.MidiFile(ticks_per_beat=480)
    conductor = mido.MidiTrack([mido.MetaMessage("marker", text="Quorvel", time=0)])
    flash = mido.MidiTrack([
        mido.MetaMessage("track_name", name="Flash", time=0),
        mido.Message("note_on", note=2, velocity=127, time=4 * 480),  # startFlash only
        mido.Message("note_on", note=0, velocity=100, time=0),
        mido.Message("note_on", note=2, velocity=0, time=10),
        mido.Message("note_on", note=0, velocity=0, time=230),
    ])
    song.tracks.extend([conductor, flash])
    song.save(path)


class BrokenTimelineTest(unittest.TestCase):
    def setUp(self):
        wineprogram.require_harness()

    def test_parameter_after_the_last_block_is_reported_and_fails_the_run(self):
        with SongDirectory("tone-1s.ogg") as cwd:
            timeline_with_a_parameter_after_every_block(cwd / "resources" / "Brannoch.mid")
            program = wineprogram.Program(os.environ["OSTREL_DEMO_EXE"], cwd)
            wineprogram.press_key(wineprogram.find_window("Quorvel feat. Tessane"), "Return")
            box = wineprogram.find_window("OstrelMinimal - error")
            wineprogram.screenshot("broken-timeline-message-box")
            wineprogram.press_key(box, "Return")
            self.assertEqual(program.wait(), 1, program.output())

    def test_incomplete_block_is_rejected_at_start_up_with_where_and_what(self):
        with SongDirectory("tone-1s.ogg") as cwd:
            timeline_with_an_incomplete_block(cwd / "resources" / "Brannoch.mid")
            # The message box's text also goes to the standard error stream.
            program = wineprogram.Program(os.environ["OSTREL_DEMO_EXE"], cwd)
            wineprogram.press_key(wineprogram.find_window("Quorvel feat. Tessane"), "Return")
            box = wineprogram.find_window("OstrelMinimal - error")
            wineprogram.screenshot("incomplete-block-message-box")
            wineprogram.press_key(box, "Return")
            self.assertEqual(program.wait(), 1, program.output())
            self.assertIn("the 'Flash' block at 2.000 s (2:1) misses endFlash", program.output())


if __name__ == "__main__":
    wineprogram.main()
