"""The audio library's MIDI reader against python3-mido, an independent reader: for files
written byte by byte here, files written by mido (fixed and random ones) and real MIDI files
from Debian packages, the marks, note events and length the library gives must equal what
mido reads, with byte positions that follow the song's tempo map (44100 Hz, 4 bytes a
frame)."""

import glob
import json
import os
import pathlib
import random
import subprocess
import tempfile
import unittest
from fractions import Fraction

import mido

import midi_writer

DUMP = os.environ.get("OSTREL_MIDI_DUMP", "midi_dump")
DATA = pathlib.Path(os.environ.get("OSTREL_TEST_DATA", "tests/data"))
REAL_FILES = sorted(glob.glob("/usr/share/planetblupi/music/*.mid"))


class TempoMap:
    """Ticks to byte positions, in exact fractions, from mido's tempo events."""

    def __init__(self, song):
        changes = []
        for track in song.tracks:
            tick = 0
            for message in track:
                tick += message.time
                if message.type == "set_tempo":
                    changes.append((tick, message.tempo))
        changes.sort(key=lambda change: change[0])  # stable: file order at equal ticks
        self.division = song.ticks_per_beat
        self.segments = [(0, 500000)]
        for tick, tempo in changes:
            if tick == self.segments[-1][0]:
                self.segments[-1] = (tick, tempo)
            else:
                self.segments.append((tick, tempo))

    def seconds(self, tick):
        elapsed = Fraction(0)
        for index, (start, tempo) in enumerate(self.segments):
            end = self.segments[index + 1][0] if index + 1 < len(self.segments) else None
            if end is not None and tick >= end:
                elapsed += (end - start) * tempo
            else:
                elapsed += (tick - start) * tempo
                break
        return elapsed / (self.division * 1000000)

    def byte_position(self, tick):
        return int(self.seconds(tick) * 44100) * 4


def expected(path):
    """What mido reads, in the library's terms."""
    song = mido.MidiFile(path)
    tempo = TempoMap(song)
    markers, names, events, end = [], [], [], 0
    for number, track in enumerate(song.tracks):
        tick, notes = 0, []
        for message in track:
            tick += message.time
            if message.type == "marker":
                markers.append([number, tempo.byte_position(tick), message.text])
            elif message.type == "track_name":
                names.append([number, tempo.byte_position(tick), message.name])
            elif message.type in ("note_on", "note_off"):
                velocity = message.velocity if message.type == "note_on" else 0
                notes.append([message.note | velocity << 8, message.channel, tick,
                              tempo.byte_position(tick)])
        events.append(notes)
        end = max(end, tick)
    markers.sort(key=lambda mark: mark[1])
    names.sort(key=lambda mark: mark[1])
    return {"length": tempo.byte_position(end), "markers": markers, "names": names,
            "events": events, "seconds": song.length}


def dump(paths):
    """What the library reads, one record a file."""
    result = subprocess.run([DUMP, *map(str, paths)], capture_output=True, text=True,
                            check=True, timeout=300)
    records = [json.loads(line) for line in result.stdout.splitlines()]
    for record in records:
        for key in ("markers", "names"):
            for mark in record[key]:
                mark[2] = bytes.fromhex(mark[2]).decode("latin-1")
    return records


def handwritten_files(folder):
    """Files whose bytes are chosen here: the awkward but valid cases."""
    conductor = (midi_writer.Track().name(0, "Conductor").marker(0, "Intro")
                 .text(0, 0x02, "(c) nobody").meta(0, 0x58, b"\x04\x02\x18\x08")
                 .tempo(0, 600000).marker(960, "Buildup").marker(960, "Section 1").end(0))
    dof = (midi_writer.Track().name(0, "DOF")
           .event(0, 0x90, 0, 100).event(0, 2, 37)          # running status
           .marker(960, "Buildup")                          # same position as track 0's
           .event(0, 2, 0)                                  # running status after a meta
           .tempo(240, 250000)                              # a tempo change in track 1
           .event(0, 0xB0, 7, 100).event(0, 10, 64)         # controllers, running status
           .event(0, 0xC0, 5).event(10, 6)                  # program change, running status
           .sysex(0, b"\x7E\x7F\x09\x01\xF7")
           .event(0, 0x80, 0, 90)                           # note-off with a velocity
           .event(600, 0x90, 127, 127).event(5, 0xE0, 0, 64).event(0, 0x90, 127, 0)
           .end(30))
    flash = (midi_writer.Track().marker(1200, "Flash")
             .event(0, 0x99, 36, 1).tempo(0, 400000).event(0, 36, 0).name(0, "Flash")
             .event(1, 0x99, 38, 64).event(1, 0x89, 38, 0).end(0))
    files = {
        "handwritten-format1.mid": midi_writer.song(1, 480, [conductor, dof, flash]),
        "handwritten-format0.mid": midi_writer.song(0, 96, [
            midi_writer.Track().name(0, "All").marker(0, "A").event(0, 0x92, 60, 1)
            .event(96, 0x93, 61, 2).event(0, 60, 0).event(0, 0x82, 60, 0).tempo(0, 1000000)
            .marker(96, "B").event(0, 0x83, 61, 5).end(7)]),
    }
    paths = []
    for name, data in files.items():
        path = folder / name
        path.write_bytes(data)
        paths.append(path)
    return paths


def random_mido_files(folder, count=12):
    """Files written by mido from seeded random songs: many tracks, tempo changes anywhere,
    markers and names with Latin-1 texts, notes closed both ways; each well under the
    6 h 45 min that 32-bit byte positions reach."""
    paths = []
    for seed in range(count):
        rng = random.Random(seed)
        song = mido.MidiFile(type=1, ticks_per_beat=rng.choice([96, 480, 960, 32767]))
        for number in range(rng.randint(1, 6)):
            track = mido.MidiTrack()
            if rng.random() < 0.8:
                track.append(mido.MetaMessage("track_name", name=f"Track {number} \u00e9"))
            for _ in range(rng.randint(0, 200)):
                time = rng.choice([0, 0, 1, 7, 120, 480, rng.randint(0, 2000)])
                choice = rng.random()
                if choice < 0.05:
                    track.append(mido.MetaMessage("set_tempo", time=time,
                                                  tempo=rng.randint(1, 2000000)))
                elif choice < 0.12:
                    text = "".join(rng.choice("AbZ _-09\u00fc#") for _ in range(rng.randint(0, 12)))
                    track.append(mido.MetaMessage("marker", text=text, time=time))
                elif choice < 0.15:
                    track.append(mido.Message("control_change", channel=rng.randint(0, 15),
                                              control=7, value=rng.randint(0, 127), time=time))
                else:
                    kind = rng.choice(["note_on", "note_on", "note_off"])
                    track.append(mido.Message(kind, channel=rng.randint(0, 15),
                                              note=rng.randint(0, 127),
                                              velocity=rng.randint(0, 127), time=time))
            song.tracks.append(track)
        path = folder / f"mido-random-{seed}.mid"
        song.save(path)
        paths.append(path)
    return paths


class AgainstMido(unittest.TestCase):
    def compare(self, paths):
        records = dump(paths)
        self.assertEqual(len(records), len(paths))
        for path, record in zip(paths, records):
            with self.subTest(file=str(path)):
                self.assertNotIn("error", record)
                want = expected(path)
                self.assertEqual(record["markers"], want["markers"])
                self.assertEqual(record["names"], want["names"])
                self.assertEqual(len(record["events"]), len(want["events"]))
                for track, (got, wanted) in enumerate(zip(record["events"], want["events"])):
                    self.assertEqual(got, wanted, f"note events of track {track}")
                self.assertEqual(record["length"], want["length"])
                # mido's own account of the song's duration, in floating point
                self.assertAlmostEqual(record["length"] / 176400, want["seconds"],
                                       delta=1 / 44100 + 1e-9)

    def test_files_written_byte_by_byte(self):
        with tempfile.TemporaryDirectory() as folder:
            self.compare(handwritten_files(pathlib.Path(folder)))

    def test_files_written_by_mido(self):
        with tempfile.TemporaryDirectory() as folder:
            self.compare([DATA / "tempo-change.mid"] + random_mido_files(pathlib.Path(folder)))

    @unittest.skipUnless(REAL_FILES, "needs the planetblupi-music-midi package")
    def test_real_files_from_a_debian_package(self):
        self.compare(REAL_FILES)


if __name__ == "__main__":
    unittest.main()
