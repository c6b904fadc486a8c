"""Captures of the production (tools/capture/capture.py running demo-capture under Wine, with
no sound server to be found): frames stand exactly at frame x step in the music, the first
frame at or after a marker shows the new section, two captures of one range give the same
hashes, the lossless outputs hold exactly the hashed frames, and the video files carry the
frames, duration and stretch of the song they should (ffprobe, ffmpeg).

Markers come from the MIDI file through mido, the logo window from the production's design;
neither from the program."""

import csv
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import unittest

import wineprogram
from test_production import RESOURCES, SCENE_OF_SECTION, markers_of, section_at

CAPTURE_EXE = os.environ.get("OSTREL_CAPTURE_EXE", "")
DRIVER = wineprogram.SOURCE_DIR / "tools" / "capture" / "capture.py"
SONG = RESOURCES / "brannoch-edit-2bar.ogg"
STEP = 735 * 4  # a 60 Hz frame of music, in bytes of 16-bit stereo
LOGOS_FROM = 172.89  # seconds


def capture(folder, *args):
    """Runs a capture in folder; returns its hash rows."""
    hashes = folder / "hashes.csv"
    # Output to a file, not a pipe: Wine's services may inherit it and outlive the capture.
    with tempfile.TemporaryFile("w+") as output:
        code = subprocess.run(
            [sys.executable, "-B", str(DRIVER), "--exe", CAPTURE_EXE, "--size", "160x90",
             "--hashes", str(hashes), *args],
            cwd=folder, stdout=output, stderr=subprocess.STDOUT, timeout=wineprogram.END_SECONDS,
            env={**os.environ, "PULSE_SERVER": "unix:/nonexistent"}).returncode
        output.seek(0)
        if code != 0:
            raise AssertionError(f"the capture failed:\n{output.read()}")
    with open(hashes, newline="") as f:
        return list(csv.DictReader(f))


def probe(path, *entries):
    """ffprobe's values of the given stream entries, one dictionary per stream."""
    text = subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-show_entries",
                           "stream=" + ",".join(entries), "-of", "csv=p=0:nk=0", str(path)],
                          capture_output=True, text=True, check=True).stdout
    return [dict(item.split("=", 1) for item in line.split(",")) for line in text.split()]


def frame_hashes(source, *input_options):
    """SHA-256 of each frame's RGBA pixels, as ffmpeg decodes them."""
    text = subprocess.run(["ffmpeg", "-v", "error", *input_options, "-i", str(source),
                           "-map", "0:v", "-pix_fmt", "rgba", "-f", "framehash", "-hash",
                           "sha256", "-"], capture_output=True, text=True, check=True).stdout
    return [line.split(",")[-1].strip() for line in text.splitlines()
            if line and not line.startswith("#")]


def samples(source, *options):
    """16-bit stereo samples at 44100 Hz of source's audio, as bytes."""
    return subprocess.run(["ffmpeg", "-v", "error", "-i", str(source), *options, "-map", "0:a",
                           "-f", "s16le", "-ac", "2", "-ar", "44100", "-"],
                          capture_output=True, check=True).stdout


def mean_difference(a, b):
    """Mean absolute difference of two pictures' grey levels, 0..255."""
    result = subprocess.run(["compare", "-metric", "MAE", str(a), str(b), "null:"],
                            capture_output=True, text=True)
    return 255 * float(result.stderr.split("(")[1].split(")")[0])


class CaptureTest(unittest.TestCase):
    def setUp(self):
        wineprogram.require_harness()
        if not CAPTURE_EXE:
            self.skipTest("OSTREL_CAPTURE_EXE is not set")
        self.folder = pathlib.Path(tempfile.mkdtemp(prefix="ostrel-capture-test-"))
        self.addCleanup(shutil.rmtree, self.folder, ignore_errors=True)
        self.artifacts = wineprogram.ARTIFACTS / "capture"
        self.artifacts.mkdir(parents=True, exist_ok=True)

    def test_a_range_around_a_marker_twice(self):
        """"Buildup" begins at 28.16 s, between frames 1689 and 1690: the scene changes. The
        second capture starts three frames earlier: a frame does not depend on the frames
        drawn before it."""
        markers = markers_of(RESOURCES / "Brannoch.mid")
        marker = dict((name, position) for position, name in markers)["Buildup"]
        first = capture(self.folder, "--from", "28.1", "--to", "28.2", "first.mp4")
        second = capture(self.folder, "--from", "28.05", "--to", "28.2", "second.mkv")

        self.assertEqual([int(row["frame"]) for row in first], list(range(1686, 1692)))
        for row in first:
            position = int(row["position"])
            self.assertEqual(position, int(row["frame"]) * STEP)
            self.assertEqual(row["marker"], section_at(markers, position))
            self.assertEqual(row["scene"], SCENE_OF_SECTION[row["marker"]])
        after = next(index for index, row in enumerate(first) if int(row["position"]) >= marker)
        self.assertEqual([first[after - 1]["marker"], first[after]["marker"]],
                         ["Tessane", "Buildup"])

        self.assertEqual([int(row["frame"]) for row in second], list(range(1683, 1692)))
        hashes = [row["sha256"] for row in first]
        self.assertEqual(hashes, [row["sha256"] for row in second[3:]], "two captures differ")
        self.assertEqual(frame_hashes(self.folder / "second.mkv"),
                         [row["sha256"] for row in second],
                         "the lossless file holds other frames than were captured")
        self.assertEqual(len(set(hashes)), len(hashes), "a frame repeats its neighbour")

        # The pictures: the scene changes across the marker, far more than between frames.
        pictures = self.artifacts / "around-buildup"
        shutil.rmtree(pictures, ignore_errors=True)
        pictures.mkdir()
        subprocess.run(["ffmpeg", "-v", "error", "-i", str(self.folder / "second.mkv"),
                        "-start_number", "1683", str(pictures / "frame-%06d.png")], check=True)
        frame = [pictures / f"frame-{int(row['frame']):06d}.png" for row in first]
        change = mean_difference(frame[after - 1], frame[after])
        within = max(mean_difference(frame[after - 2], frame[after - 1]),
                     mean_difference(frame[after], frame[after + 1]))
        self.assertGreater(change, 4 * within, (change, within))

        self.check_video_file(self.folder / "first.mp4", frames=6, codecs=("h264", "aac"))
        self.check_video_file(self.folder / "second.mkv", frames=9, codecs=("ffv1", "flac"))
        # The stretch of the song under the frames, to the sample (FLAC is lossless).
        song = samples(SONG, "-t", "29")
        self.assertEqual(samples(self.folder / "second.mkv"),
                         song[1683 * STEP:1692 * STEP])

    def check_video_file(self, path, frames, codecs):
        video, audio = probe(path, "codec_type,codec_name,nb_read_frames,duration,width,height")
        self.assertEqual((video["codec_type"], video["codec_name"], video["width"],
                          video["height"], int(video["nb_read_frames"])),
                         ("video", codecs[0], "160", "90", frames))
        self.assertEqual((audio["codec_type"], audio["codec_name"]), ("audio", codecs[1]))
        for stream in (video, audio):
            if stream["duration"] != "N/A":
                self.assertAlmostEqual(float(stream["duration"]), frames / 60, delta=0.002)
        duration = subprocess.run(["ffprobe", "-v", "error", "-show_entries", "format=duration",
                                   "-of", "csv=p=0", str(path)], capture_output=True, text=True,
                                  check=True).stdout
        self.assertAlmostEqual(float(duration), frames / 60, delta=0.002)

    def test_frames_entering_the_logo_window_as_pictures(self):
        out = self.artifacts / "logo-window"
        shutil.rmtree(out, ignore_errors=True)
        rows = capture(self.folder, "--from", "172.85", "--to", "172.95", str(out) + "/")

        self.assertEqual([int(row["frame"]) for row in rows], list(range(10371, 10377)))
        for row in rows:
            seconds = int(row["position"]) / (44100 * 4)
            self.assertEqual(int(row["position"]), int(row["frame"]) * STEP)
            self.assertEqual((row["marker"], row["overlay"]),
                             ("Second buildup D", "1" if seconds > LOGOS_FROM else "0"))
        self.assertEqual(sorted(path.name for path in out.glob("*.png")),
                         [f"frame-{int(row['frame']):06d}.png" for row in rows])
        self.assertEqual(frame_hashes(out / "frame-%06d.png", "-start_number", "10371"),
                         [row["sha256"] for row in rows])
        music = probe(out / "music.flac", "codec_name,sample_rate,duration")[0]
        self.assertEqual(music["codec_name"], "flac")
        self.assertAlmostEqual(float(music["duration"]), 6 / 60, delta=0.001)
        # The logos come in over the scene.
        before = out / f"frame-{10373:06d}.png"
        logos = out / f"frame-{10374:06d}.png"
        self.assertGreater(mean_difference(before, logos), 3)


if __name__ == "__main__":
    wineprogram.main()
