"""Writes a small MIDI song with python3-mido: three tracks, markers (two at the same
position in different tracks), track names, notes closed both by note-off and by note-on
with velocity 0, and a tempo change in the middle of the song in a track other than the
first."""

import sys

import mido

TICKS = 480


def track(*messages):
    result = mido.MidiTrack()
    result.extend(messages)
    return result


def main(path):
    song = mido.MidiFile(type=1, ticks_per_beat=TICKS)
    song.tracks.append(track(
        mido.MetaMessage("track_name", name="Conductor", time=0),
        mido.MetaMessage("set_tempo", tempo=500000, time=0),
        mido.MetaMessage("marker", text="Intro", time=0),
        mido.MetaMessage("marker", text="Buildup", time=4 * TICKS),
        mido.MetaMessage("marker", text="Section 1", time=4 * TICKS),
        mido.MetaMessage("end_of_track", time=4 * TICKS),
    ))
    song.tracks.append(track(
        mido.MetaMessage("track_name", name="DOF", time=0),
        mido.Message("note_on", channel=1, note=0, velocity=100, time=0),
        mido.Message("note_on", channel=1, note=2, velocity=37, time=0),
        mido.Message("note_on", channel=1, note=2, velocity=0, time=TICKS),
        mido.Message("note_off", channel=1, note=0, velocity=64, time=TICKS),
        # the tempo changes here, in this track, half-way through the song
        mido.MetaMessage("set_tempo", tempo=375000, time=2 * TICKS),
        mido.Message("note_on", channel=1, note=0, velocity=127, time=TICKS // 3),
        mido.Message("note_on", channel=1, note=4, velocity=1, time=0),
        mido.Message("note_off", channel=1, note=4, velocity=0, time=TICKS),
        mido.Message("note_on", channel=1, note=0, velocity=0, time=2 * TICKS),
        mido.MetaMessage("end_of_track", time=0),
    ))
    song.tracks.append(track(
        mido.MetaMessage("track_name", name="Flash", time=0),
        mido.MetaMessage("marker", text="Flash at Section 1", time=8 * TICKS),
        mido.Message("note_on", channel=9, note=36, velocity=90, time=0),
        mido.Message("note_off", channel=9, note=36, velocity=0, time=TICKS // 2),
        mido.MetaMessage("end_of_track", time=TICKS),
    ))
    song.save(path)


if __name__ == "__main__":
    main(sys.argv[1])
