"""A small writer of standard MIDI files byte by byte (independent of mido), for files whose
every byte the tests choose: running status across meta events, note-on with velocity 0,
system-exclusive, tempo changes in any track, markers at equal positions."""

import struct


def vlq(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


class Track:
    def __init__(self):
        self.data = bytearray()

    def event(self, delta, *payload):
        self.data += vlq(delta) + bytes(payload)
        return self

    def meta(self, delta, kind, payload):
        self.data += vlq(delta) + bytes([0xFF, kind]) + vlq(len(payload)) + payload
        return self

    def text(self, delta, kind, text):
        return self.meta(delta, kind, text.encode("latin-1"))

    def marker(self, delta, text):
        return self.text(delta, 0x06, text)

    def name(self, delta, text):
        return self.text(delta, 0x03, text)

    def tempo(self, delta, microseconds):
        return self.meta(delta, 0x51, microseconds.to_bytes(3, "big"))

    def sysex(self, delta, payload):
        self.data += vlq(delta) + b"\xF0" + vlq(len(payload)) + payload
        return self

    def end(self, delta=0):
        return self.meta(delta, 0x2F, b"")


def chunk(name, payload):
    return name + struct.pack(">I", len(payload)) + bytes(payload)


def song(fmt, division, tracks):
    header = chunk(b"MThd", struct.pack(">HHH", fmt, len(tracks), division))
    return header + b"".join(chunk(b"MTrk", track.data) for track in tracks)
