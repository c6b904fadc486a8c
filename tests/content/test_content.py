"""Checks the production's music and timeline files: the timeline keeps the authoring rules
the program relies on at start-up, its markers lie on the music's bar lines, the audio has
the format, length and levels the production expects, and the timeline committed is the
one its sources make.

Reads the MIDI file with its own small reader (standard library only), so the checks do not
share code with the generator; needs sox for the audio and python3-mido for regenerating.
"""

import os
import re
import struct
import subprocess
import sys
import tempfile
import unittest

SOURCE = os.environ.get("OSTREL_SOURCE_DIR",
                        os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
RESOURCES = os.path.join(SOURCE, "resources")
MIDI_PATH = os.path.join(RESOURCES, "Brannoch.mid")
AUDIO_PATH = os.path.join(RESOURCES, "brannoch-edit-2bar.ogg")

PLAY_ORDER = ["Quorvel", "Tessane", "Buildup", "Breakbeat", "Wobble", "Wubwub break",
              "Section 1", "Section 2", "Break", "Second buildup A", "Second buildup B",
              "Second buildup C", "Second buildup D", "Section 3", "Section 4", "Finish",
              "Stop"]

# Parameter names by note name, as the program's registry maps them; every handler reads
# every parameter of its track, so a block must carry all of them.
PARAMETERS = {
    "DOF": {"D-0": "startFocus1", "D#0": "startFocus2", "E-0": "startFocus3",
            "F#0": "endFocus1", "G-0": "endFocus2", "G#0": "endFocus3",
            "A#0": "startAperture1", "B-0": "startAperture2", "C-1": "startAperture3",
            "D-1": "endAperture1", "D#1": "endAperture2", "E-1": "endAperture3",
            "F#1": "startLimit1", "G-1": "startLimit2", "G#1": "startLimit3",
            "A#1": "endLimit1", "B-1": "endLimit2", "C-2": "endLimit3"},
    "Exposure": {"D-0": "startContrast", "D#0": "startExposure", "E-0": "startGrain",
                 "F#0": "endContrast", "G-0": "endExposure", "G#0": "endGrain"},
    "Color": {"D-0": "startRed", "D#0": "startGreen", "E-0": "startBlue", "F#0": "endRed",
              "G-0": "endGreen", "G#0": "endBlue"},
    "Flash": {"D-0": "startFlash", "D#0": "endFlash"},
    "Glitch": {"D-0": "startGlitch0", "D#0": "startGlitch1", "E-0": "startGlitch2",
               "F#0": "endGlitch0", "G-0": "endGlitch1", "G#0": "endGlitch2"},
}
NOTE_LETTERS = ["C-", "C#", "D-", "D#", "E-", "F-", "F#", "G-", "G#", "A-", "A#", "B-"]

LOGO_WINDOW = (172.5, 181.5)  # seconds that "Second buildup D" must cover
AUDIO_RATE = 44100
BYTES_PER_SECOND = AUDIO_RATE * 4


def note_name(key):
    return f"{NOTE_LETTERS[key % 12]}{key // 12}"


class MidiTrack:
    def __init__(self, index):
        self.index = index
        self.names = []
        self.markers = []  # (tick, text)
        self.tempos = []  # (tick, microseconds per beat)
        self.time_signatures = []  # (tick, numerator, denominator)
        self.notes = []  # (tick, key, velocity); velocity 0 is a release
        self.end = 0


def read_varlen(data, pos):
    value = 0
    while True:
        byte = data[pos]
        pos += 1
        value = (value << 7) | (byte & 0x7F)
        if not byte & 0x80:
            return value, pos


def read_midi(path):
    """(ticks per beat, tracks) of a standard MIDI file."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"MThd":
        raise ValueError(f"{path}: not a standard MIDI file")
    length, _, count, division = struct.unpack(">IHHH", data[4:14])
    if division & 0x8000:
        raise ValueError(f"{path}: SMPTE time division is not supported")
    pos = 8 + length
    tracks = []
    for index in range(count):
        if data[pos:pos + 4] != b"MTrk":
            raise ValueError(f"{path}: track {index} has no MTrk header")
        (size,) = struct.unpack(">I", data[pos + 4:pos + 8])
        tracks.append(parse_track(data[pos + 8:pos + 8 + size], index))
        pos += 8 + size
    return division, tracks


def parse_track(data, index):
    track = MidiTrack(index)
    pos = tick = 0
    status = None
    while pos < len(data):
        delta, pos = read_varlen(data, pos)
        tick += delta
        if data[pos] == 0xFF:
            kind = data[pos + 1]
            length, pos = read_varlen(data, pos + 2)
            body = data[pos:pos + length]
            pos += length
            if kind == 0x03:
                track.names.append(body.decode("latin-1"))
            elif kind == 0x06:
                track.markers.append((tick, body.decode("latin-1")))
            elif kind == 0x51:
                track.tempos.append((tick, int.from_bytes(body, "big")))
            elif kind == 0x58:
                track.time_signatures.append((tick, body[0], 2 ** body[1]))
            elif kind == 0x2F:
                track.end = tick
                break
            continue
        if data[pos] in (0xF0, 0xF7):
            length, pos = read_varlen(data, pos + 1)
            pos += length
            continue
        if data[pos] & 0x80:
            status = data[pos]
            pos += 1
        kind = status & 0xF0
        size = 1 if kind in (0xC0, 0xD0) else 2
        args = data[pos:pos + size]
        pos += size
        if kind == 0x90:
            track.notes.append((tick, args[0], args[1]))
        elif kind == 0x80:
            track.notes.append((tick, args[0], 0))
    return track


class TempoMap:
    def __init__(self, division, tempos):
        self.division = division
        self.tempos = sorted(tempos) or [(0, 500000)]
        if self.tempos[0][0] != 0:
            self.tempos.insert(0, (0, 500000))

    def seconds(self, tick):
        total = 0.0
        for i, (start, tempo) in enumerate(self.tempos):
            end = self.tempos[i + 1][0] if i + 1 < len(self.tempos) else None
            if end is not None and tick > end:
                total += (end - start) * tempo / self.division / 1e6
            else:
                return total + (tick - start) * tempo / self.division / 1e6
        return total


def pair_notes(track):
    """Closed notes (key, start, end) of a track, and problems found while pairing."""
    open_notes = {}
    closed = []
    problems = []
    for tick, key, velocity in sorted(track.notes, key=lambda n: (n[0], n[2] != 0)):
        if velocity:
            if key in open_notes:
                problems.append(f"{note_name(key)} struck again at tick {tick} while held")
                closed.append((key, open_notes.pop(key), tick))
            open_notes[key] = tick
        elif key in open_notes:
            start = open_notes.pop(key)
            if start == tick:
                problems.append(f"{note_name(key)} at tick {tick} is released where it starts")
            closed.append((key, start, tick))
    for key, start in open_notes.items():
        problems.append(f"{note_name(key)} at tick {start} is never released")
    return closed, problems


def audio_seconds():
    out = subprocess.run(["soxi", "-D", AUDIO_PATH], capture_output=True, text=True, check=True)
    return float(out.stdout)


def sox_stats(start, length, effects=()):
    """sox's statistics of a slice of the audio (after the given sox effects), as a dict."""
    out = subprocess.run(["sox", AUDIO_PATH, "-n", "trim", f"{start:.4f}", f"{length:.4f}",
                          *effects, "stats"], capture_output=True, text=True, check=True)
    stats = {}
    for line in out.stderr.splitlines():
        match = re.match(r"(.+?)\s{2,}(\S+)", line)
        if match:
            stats[match.group(1).strip()] = match.group(2)
    return stats


class Timeline(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.division, cls.tracks = read_midi(MIDI_PATH)
        tempos = [t for track in cls.tracks for t in track.tempos]
        cls.tempo_map = TempoMap(cls.division, tempos)
        cls.markers = sorted((m for track in cls.tracks for m in track.markers),
                             key=lambda m: m[0])
        signatures = [s for track in cls.tracks for s in track.time_signatures]
        numerator, denominator = signatures[0][1:] if signatures else (4, 4)
        cls.ticks_per_bar = cls.division * 4 * numerator // denominator

    def marker_seconds(self, name):
        ticks = [tick for tick, text in self.markers if text == name]
        self.assertEqual(len(ticks), 1, f"marker {name!r} appears {len(ticks)} times")
        return self.tempo_map.seconds(ticks[0])

    def test_markers_name_the_sections_in_play_order(self):
        self.assertEqual([text for _, text in self.markers], PLAY_ORDER)
        ticks = [tick for tick, _ in self.markers]
        self.assertEqual(len(set(ticks)), len(ticks), "two markers share a position")
        self.assertEqual(ticks[0], 0, "the first section must start the song")

    def test_markers_lie_on_bar_lines(self):
        for tick, text in self.markers:
            seconds = self.tempo_map.seconds(tick)
            bar = round(tick / self.ticks_per_bar)
            line = self.tempo_map.seconds(bar * self.ticks_per_bar)
            self.assertLess(abs(seconds - line), 0.001, f"{text} at {seconds:.4f} s is off "
                            f"the bar line at {line:.4f} s")
            # The program compares byte positions of 16-bit stereo at 44100 Hz directly.
            self.assertLess(abs(seconds - line) * BYTES_PER_SECOND, 0.001 * BYTES_PER_SECOND)

    def test_logo_windows_fall_inside_second_buildup_d(self):
        start = self.marker_seconds("Second buildup D")
        end = self.marker_seconds(PLAY_ORDER[PLAY_ORDER.index("Second buildup D") + 1])
        self.assertLessEqual(start, LOGO_WINDOW[0])
        self.assertGreaterEqual(end, LOGO_WINDOW[1])

    def test_only_the_five_effect_tracks_are_named(self):
        names = [name for track in self.tracks for name in track.names]
        self.assertCountEqual(names, list(PARAMETERS))
        for track in self.tracks:
            if not track.names:
                self.assertEqual(track.notes, [], f"unnamed track {track.index} holds notes")

    def test_every_note_is_released_and_keys_never_overlap(self):
        for track in self.named_tracks():
            _, problems = pair_notes(track)
            self.assertEqual(problems, [], f"track {track.names[0]}")

    def test_every_block_carries_every_parameter_at_its_start(self):
        for track in self.named_tracks():
            name = track.names[0]
            closed, _ = pair_notes(track)
            blocks = sorted((start, end) for key, start, end in closed if key == 0)
            self.assertTrue(blocks, f"track {name} has no block")
            for (s0, e0), (s1, _) in zip(blocks, blocks[1:]):
                self.assertLessEqual(e0, s1, f"{name}: blocks at {s0} and {s1} overlap")
            last_start = blocks[-1][0]
            by_start = {start: set() for start, _ in blocks}
            for key, start, _ in closed:
                if key == 0:
                    continue
                note = note_name(key)
                self.assertIn(note, PARAMETERS[name], f"{name}: {note} names no parameter")
                self.assertLessEqual(start, last_start,
                                     f"{name}: {note} at {start} lies after the last block")
                self.assertIn(start, by_start, f"{name}: {note} at {start} is not at a block's"
                                               " start")
                by_start[start].add(PARAMETERS[name][note])
            for start, present in by_start.items():
                missing = set(PARAMETERS[name].values()) - present
                self.assertEqual(missing, set(), f"{name} block at tick {start}")

    def test_effects_follow_the_music(self):
        """The intro fades up from black and the stop fades out; the drops flash."""
        blocks = self.blocks_with_values("Exposure")
        first, last = blocks[0], blocks[-1]
        self.assertEqual(first[0], 0)
        self.assertEqual(first[2]["startExposure"], 1)
        self.assertGreater(first[2]["endExposure"], 40)
        self.assertAlmostEqual(self.tempo_map.seconds(last[0]), self.marker_seconds("Stop"))
        self.assertEqual(last[2]["endExposure"], 1)
        flash_starts = {start for start, _, _ in self.blocks_with_values("Flash")}
        for section in ("Breakbeat", "Wobble", "Section 1", "Section 3", "Stop"):
            tick = [t for t, text in self.markers if text == section][0]
            self.assertIn(tick, flash_starts, f"no flash on the downbeat of {section}")
        glitch_times = [self.tempo_map.seconds(s) for s, _, _ in self.blocks_with_values("Glitch")]
        wub, section1 = self.marker_seconds("Wubwub break"), self.marker_seconds("Section 1")
        self.assertTrue(any(wub <= t < section1 for t in glitch_times))
        self.assertTrue(any(t >= self.marker_seconds("Stop") for t in glitch_times))

    def test_timeline_is_as_long_as_the_audio(self):
        end = self.tempo_map.seconds(max(track.end for track in self.tracks))
        bar = self.tempo_map.seconds(self.ticks_per_bar)
        self.assertLessEqual(abs(end - audio_seconds()), bar)

    def named_tracks(self):
        return [track for track in self.tracks if track.names]

    def blocks_with_values(self, name):
        track = [t for t in self.tracks if t.names == [name]][0]
        velocities = {(tick, key): vel for tick, key, vel in track.notes if vel}
        closed, _ = pair_notes(track)
        blocks = []
        for key, start, end in sorted(closed, key=lambda n: n[1]):
            if key == 0:
                values = {PARAMETERS[name][note_name(k)]: velocities[(s, k)]
                          for k, s, _ in closed if k and s == start}
                blocks.append((start, end, values))
        return blocks


class Reading(unittest.TestCase):
    def test_reader_rejects_a_file_that_is_not_midi(self):
        with tempfile.NamedTemporaryFile(suffix=".mid") as f:
            f.write(b"OggS not a MIDI file")
            f.flush()
            with self.assertRaisesRegex(ValueError, "not a standard MIDI file"):
                read_midi(f.name)

    def test_pairing_finds_held_and_unreleased_notes(self):
        track = MidiTrack(1)
        track.notes = [(0, 0, 100), (100, 0, 0), (100, 2, 90), (200, 2, 90), (300, 2, 0),
                       (400, 3, 90)]
        closed, problems = pair_notes(track)
        self.assertIn((0, 0, 100), closed)
        self.assertEqual(len(problems), 2)
        self.assertIn("D-0 struck again at tick 200 while held", problems)
        self.assertIn("D#0 at tick 400 is never released", problems)


class Audio(unittest.TestCase):
    def test_format_length_and_size(self):
        info = subprocess.run(["soxi", AUDIO_PATH], capture_output=True, text=True,
                              check=True).stdout
        self.assertRegex(info, r"Sample Rate\s*:\s*44100\b")
        self.assertRegex(info, r"Channels\s*:\s*2\b")
        self.assertGreaterEqual(audio_seconds(), 195.0)
        self.assertLessEqual(audio_seconds(), 225.0)
        self.assertLessEqual(os.path.getsize(AUDIO_PATH), 6 * 1024 * 1024)

    def test_peaks_stay_below_minus_one_dbfs(self):
        stats = sox_stats(0, audio_seconds())
        self.assertLessEqual(float(stats["Pk lev dB"]), -1.0)

    def test_sections_differ_in_level(self):
        """Quiet intro and break against a full section; the bass and kick of the last drop
        come in on its marker, after a breath that holds only the riser."""
        division, tracks = read_midi(MIDI_PATH)
        tempo_map = TempoMap(division, [x for t in tracks for x in t.tempos])
        at = {text: tempo_map.seconds(tick) for t in tracks for tick, text in t.markers}
        bar = tempo_map.seconds(4 * division)

        def rms(start, length, effects=()):
            return float(sox_stats(start, length, effects)["RMS lev dB"])

        loud = rms(at["Section 1"], 4 * bar)
        self.assertLess(rms(at["Quorvel"], 4 * bar), loud - 6)
        self.assertLess(rms(at["Break"], 4 * bar), loud - 6)
        lows = ("lowpass", "150")
        drop = at["Section 3"]
        self.assertLess(rms(drop - bar / 2, bar / 2, lows), rms(drop, bar, lows) - 20)


class Regeneration(unittest.TestCase):
    def test_sources_make_the_committed_timeline(self):
        try:
            import mido  # noqa: F401
        except ImportError:
            self.skipTest("python3-mido is not installed")
        with tempfile.TemporaryDirectory() as out:
            subprocess.run([sys.executable, "-B", os.path.join(SOURCE, "content", "generate.py"),
                            "--timeline", "--out", out], check=True, capture_output=True)
            with open(os.path.join(out, "Brannoch.mid"), "rb") as made, \
                    open(MIDI_PATH, "rb") as committed:
                self.assertEqual(made.read(), committed.read(),
                                 "resources/Brannoch.mid differs from what content/ makes")


if __name__ == "__main__":
    unittest.main(verbosity=2)
