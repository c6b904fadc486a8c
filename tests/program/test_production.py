"""The whole production under Wine: its frames at chosen moments of the music (demo-frames,
the release's start-up and frame on a hand-driven clock) show the scene of the section in
force, the logos in their windows and no blank picture; the first frame at or after every
marker shows the new section, on the hand-driven clock and on the sound card's; and a scene
that cannot be loaded, or a timeline without sections, is handled as a viewer expects.

The sections are read from the MIDI file with mido, and the scene each one shows is the
table of the production's design, written out here: neither comes from the program."""

import csv
import os
import pathlib
import shutil
import subprocess
import tempfile
import time
import unittest

import mido

import wineprogram
from test_audio_playback import DATA, SongDirectory

FRAMES_EXE = os.environ.get("OSTREL_FRAMES_EXE", "")
RESOURCES = wineprogram.SOURCE_DIR / "resources"
BYTES_PER_SECOND = 44100 * 4
STEP = 735 * 4  # a 60 Hz frame of music, in bytes

SCENE_OF_SECTION = {
    "BEGIN": "sceneKvLogo", "Quorvel": "sceneKvLogo", "Tessane": "sceneKvLogo",
    "Buildup": "simtest2", "Breakbeat": "sceneKvLogo", "Wobble": "simtest2",
    "Wubwub break": "simtest2", "Section 1": "compos", "Section 2": "compos",
    "Break": "halvek", "Second buildup A": "creds", "Second buildup B": "greets",
    "Second buildup C": "greets", "Second buildup D": "sceneKvLogo", "Section 3": "drunmoth",
    "Section 4": "halvek", "Finish": "pellicor", "Stop": "pellicor", "END": "pellicor",
}


def markers_of(path):
    """[(byte position, name)] of the file's markers, in order."""
    song = mido.MidiFile(path)
    found, seconds = [], 0.0
    for message in song:  # merged tracks, times in seconds
        seconds += message.time
        if message.type == "marker":
            found.append((round(seconds * 44100) * 4, message.text))
    return found


def section_at(markers, position):
    """The marker in force at position: the last at or before it."""
    name = markers[0][1]
    for marker_position, marker_name in markers:
        if marker_position <= position:
            name = marker_name
    return name


def picture_statistics(path):
    """(mean, standard deviation) of the picture's grey levels, 0..255."""
    text = subprocess.run(["convert", str(path), "-colorspace", "Gray", "-format",
                           "%[fx:255*mean] %[fx:255*standard_deviation]", "info:"],
                          capture_output=True, text=True, check=True).stdout
    mean, deviation = text.split()
    return float(mean), float(deviation)


def largest_difference(a, b):
    """The largest difference of any channel between two pictures of one size, 0..255."""
    result = subprocess.run(["compare", "-metric", "PAE", str(a), str(b), "null:"],
                            capture_output=True, text=True)
    normalised = result.stderr.split("(")[1].split(")")[0]  # "655 (0.01)"
    return 255 * float(normalised)


def run_frames(cwd, *args, timeout=wineprogram.END_SECONDS, env=None):
    """Runs demo-frames in cwd; returns its frame record as a list of rows, and its output."""
    record = pathlib.Path(cwd) / "frames.csv"
    program = wineprogram.Program(FRAMES_EXE, cwd, env, args=("--record", "frames.csv", *args))
    code = program.wait(timeout=timeout)
    if code != 0:
        raise AssertionError(f"demo-frames ended with {code}:\n{program.output()}")
    with open(record, newline="") as f:
        return list(csv.DictReader(f)), program.output()


def production_directory():
    return wineprogram.WorkingDirectory()


class ProductionFramesTest(unittest.TestCase):
    def setUp(self):
        wineprogram.require_harness()
        if not FRAMES_EXE:
            self.skipTest("OSTREL_FRAMES_EXE is not set")
        self.markers = markers_of(RESOURCES / "Brannoch.mid")

    def test_every_section_shows_its_scene_and_the_logos_cover_their_windows(self):
        out = wineprogram.ARTIFACTS / "frames-sections"
        shutil.rmtree(out, ignore_errors=True)
        with production_directory() as cwd:
            frames, _ = run_frames(cwd, "--size", "640x360", "--out", str(out),
                                   "middles", "175", "179")
        shown = [frame["marker"] for frame in frames]
        self.assertEqual(sorted(set(shown)), sorted({name for _, name in self.markers}),
                         "a frame in the middle of every section")
        for frame in frames:
            position, seconds = int(frame["position"]), float(frame["seconds"])
            with self.subTest(seconds=seconds, section=frame["marker"]):
                self.assertEqual(frame["marker"], section_at(self.markers, position))
                self.assertEqual(frame["scene"], SCENE_OF_SECTION[frame["marker"]])
                in_logo_window = 172.89 < seconds < 181
                self.assertEqual(frame["overlay"], "1" if in_logo_window else "0")
                mean, deviation = picture_statistics(out / frame["picture"])
                self.assertTrue(12 < mean < 245, f"a blank picture: mean grey {mean:.0f}")
                self.assertGreater(deviation, 6, "a picture without anything in it")
        self.assertIn(175.0, [float(frame["seconds"]) for frame in frames])
        self.assertIn(179.0, [float(frame["seconds"]) for frame in frames])

    def test_first_frame_at_or_after_every_marker_shows_the_new_section(self):
        with production_directory() as cwd:
            frames, _ = run_frames(cwd, "--size", "160x90", "--no-pictures", "markers")
        by_position = {int(frame["position"]): frame["marker"] for frame in frames}
        worst_lag = 0
        for index, (position, name) in enumerate(self.markers[1:], start=1):
            with self.subTest(section=name):
                first = -(-position // STEP) * STEP
                self.assertEqual(by_position[first - STEP], self.markers[index - 1][1])
                lag = 0 if by_position[first] == name else 1
                worst_lag = max(worst_lag, lag)
                self.assertEqual(by_position[first], name)
        print(f"Hand-driven clock at 60 Hz: worst lag behind a marker {worst_lag} frames")

    def test_frames_played_on_the_sound_card_follow_the_markers(self):
        """The release's frame loop on the sound card: each frame shows the section in force
        at the position it was drawn at, and after the music crosses a marker at most the
        frame being drawn then still shows the section before."""
        with production_directory() as cwd:
            frames, output = run_frames(cwd, "--size", "320x180", "--play", "58")
        drawn = [(int(f["position"]), int(f["position_after_present"]), f["marker"])
                 for f in frames]
        for position, _, name in drawn:
            self.assertEqual(name, section_at(self.markers, position), position)
        lags = []
        for position, name in self.markers[1:5]:  # "Tessane" at 14.08 s ... "Wobble" at 56.32 s
            after = [frame for frame in drawn if frame[1] >= position]
            self.assertTrue(after, f"the run ended before {name}: {output}")
            late = 0
            while late < len(after) and after[late][2] != name:
                late += 1
            lags.append(late)
            first_shown = after[late][1] - position
            print(f"{name}: {late} frames shown after the music crossed it still showed the "
                  f"section before; the new one was on screen {first_shown / 176.4:.0f} ms "
                  f"after the marker")
        print(f"Sound card: {len(frames)} frames, worst lag behind a marker {max(lags)} frames")
        self.assertLessEqual(max(lags), 1)


class LoadingPictureTest(unittest.TestCase):
    def setUp(self):
        wineprogram.require_harness()

    def test_the_loading_picture_shows_in_fullscreen_until_the_first_frame(self):
        with production_directory() as cwd:
            preload = cwd / "preload-small.png"
            subprocess.run(["convert", str(RESOURCES / "textures" / "preload.png"), "-resize",
                            "25%", str(preload)], check=True)
            shot = wineprogram.ARTIFACTS / "loading-picture.png"
            program = wineprogram.Program(os.environ["OSTREL_DEMO_EXE"], cwd)
            wineprogram.press_key(wineprogram.find_window("Quorvel feat. Tessane"), "Return")
            window = wineprogram.find_window("OstrelMinimal")
            shown = False
            # Start-up and the first frame take about 6 s on a quiet machine.
            deadline = time.monotonic() + wineprogram.WINDOW_SECONDS
            while not shown and time.monotonic() < deadline:
                subprocess.run(["import", "-window", "root", "-resize", "25%", str(shot)],
                               check=True)
                shown = largest_difference(shot, preload) <= 3
            wineprogram.press_key_until_ended(program, window, "Escape")
            self.assertEqual(program.wait(), 0, program.output())
        self.assertTrue(shown, "the loading picture never showed on the screen")


class ProductionFailuresTest(unittest.TestCase):
    def setUp(self):
        wineprogram.require_harness()

    def test_a_scene_that_cannot_be_loaded_stops_the_start_up_with_a_report(self):
        with tempfile.TemporaryDirectory(prefix="ostrel-scene-") as folder:
            cwd = pathlib.Path(folder)
            (cwd / "resources").mkdir()
            for entry in RESOURCES.iterdir():
                if entry.name != "SIMTEST2.dae":
                    (cwd / "resources" / entry.name).symlink_to(entry)
            program = wineprogram.Program(os.environ["OSTREL_DEMO_EXE"], cwd)
            wineprogram.press_key(wineprogram.find_window("Quorvel feat. Tessane"), "Return")
            box = wineprogram.find_window("OstrelMinimal - error")
            wineprogram.screenshot("missing-scene-message-box")
            wineprogram.press_key(box, "Return")
            self.assertEqual(program.wait(), 1, program.output())
            self.assertIn("The section 'Buildup' at 28.160 s shows the scene 'simtest2' from "
                          r"resources\SIMTEST2.dae, which cannot be loaded", program.output())

    def test_sections_without_a_scene_show_the_cleared_picture(self):
        """A timeline without markers names no section; a marker the production does not know
        names no scene. Both frames show the cleared target through the chain."""
        if not FRAMES_EXE:
            self.skipTest("OSTREL_FRAMES_EXE is not set")
        out = wineprogram.ARTIFACTS / "frames-without-scenes"
        shutil.rmtree(out, ignore_errors=True)
        records = {}
        timelines = {"no-markers": [], "unknown-marker": [("Intro", 0), ("Quorvel", 480)]}
        for name, marks in timelines.items():
            with SongDirectory("tone-1s.ogg") as cwd:
                write_timeline(cwd / "resources" / "Brannoch.mid", marks)
                records[name], _ = run_frames(cwd, "--out", str(out / name), "0.25", "0.75")
        none, unknown = records["no-markers"], records["unknown-marker"]
        self.assertEqual([(f["marker"], f["scene"]) for f in none], [("", ""), ("", "")])
        self.assertEqual([(f["marker"], f["scene"]) for f in unknown],
                         [("Intro", ""), ("Quorvel", "sceneKvLogo")])
        pictures = {name: [out / name / f["picture"] for f in frames]
                    for name, frames in records.items()}
        cleared = pictures["no-markers"][0]
        self.assertEqual(largest_difference(cleared, pictures["no-markers"][1]), 0)
        self.assertEqual(largest_difference(cleared, pictures["unknown-marker"][0]), 0)
        self.assertGreater(largest_difference(cleared, pictures["unknown-marker"][1]), 100,
                           "the scene of the known marker shows")


def write_timeline(path, marks):
    """A one-second timeline at 120 beats a minute with the given (name, tick) markers."""
    song = mido.MidiFile(ticks_per_beat=480)
    track = mido.MidiTrack([mido.MetaMessage("set_tempo", tempo=500000, time=0)])
    tick = 0
    for name, at in marks:
        track.append(mido.MetaMessage("marker", text=name, time=at - tick))
        tick = at
    track.append(mido.MetaMessage("end_of_track", time=960 - tick))
    song.tracks.append(track)
    song.save(path)


if __name__ == "__main__":
    wineprogram.main()
