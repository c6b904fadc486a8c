"""The timeline file: the song's markers and tempo map, and the five effect tracks.

Track 0 carries the tempo map and the markers and has no name. Each effect track is named
after its effect; on it a note of key 0 spans a block, and every parameter the effect's
handler reads is a note at the block's start, its key naming the parameter and its
velocity (1..127 for 0..1) giving the value.
"""

import mido

from tempo import BEATS_PER_BAR, SECTIONS, SONG_BARS, STEP, TEMPO_US, TICKS_PER_BEAT, bar

# Note keys of each track's parameters (C-0 is key 0, D-0 key 2, C-1 key 12, ...).
PARAMETER_KEYS = {
    "DOF": {"startFocus1": 2, "startFocus2": 3, "startFocus3": 4, "endFocus1": 6,
            "endFocus2": 7, "endFocus3": 8, "startAperture1": 10, "startAperture2": 11,
            "startAperture3": 12, "endAperture1": 14, "endAperture2": 15, "endAperture3": 16,
            "startLimit1": 18, "startLimit2": 19, "startLimit3": 20, "endLimit1": 22,
            "endLimit2": 23, "endLimit3": 24},
    "Exposure": {"startContrast": 2, "startExposure": 3, "startGrain": 4, "endContrast": 6,
                 "endExposure": 7, "endGrain": 8},
    "Color": {"startRed": 2, "startGreen": 3, "startBlue": 4, "endRed": 6, "endGreen": 7,
              "endBlue": 8},
    "Flash": {"startFlash": 2, "endFlash": 3},
    "Glitch": {"startGlitch0": 2, "startGlitch1": 3, "startGlitch2": 4, "endGlitch0": 6,
               "endGlitch1": 7, "endGlitch2": 8},
}
TRACKS = ["DOF", "Exposure", "Color", "Flash", "Glitch"]
BLOCK_KEY = 0

# The effects' resting values, kept where a block should not change a value.
EXPOSURE, CONTRAST, GRAIN = 0.547, 0.676, 0.697
RED, GREEN, BLUE = 0.645, 0.528, 0.413
FOCUS, APERTURE, LIMIT = 0.5, 0.01, 0.8


def velocity(value):
    """The velocity whose value (v - 1) / 126 lies nearest to value (0..1)."""
    return max(1, min(127, round(value * 126) + 1))


def byte_of(v):
    return (v - 1) * 255 // 126


def packed(velocities):
    high, middle, low = (byte_of(v) for v in velocities)
    return (high * 65536 + middle * 256 + low) / 16777215


def color_velocities(value):
    """Three velocities whose packed bytes (high, middle, low) come nearest to value.

    A velocity reaches only 127 of the 256 byte values, so for each high byte the middle
    and low bytes take the largest reachable values that fit below, and the best wins.
    """
    target = round(max(0.0, min(1.0, value)) * 16777215)
    best = None
    for high in range(1, 128):
        remainder = target - byte_of(high) * 65536
        if remainder < -65536:
            break
        result = [high]
        for weight in (256, 1):
            pick = 1
            for v in range(1, 128):
                if byte_of(v) * weight <= remainder:
                    pick = v
            remainder -= byte_of(pick) * weight
            result.append(pick)
        if best is None or abs(packed(result) - value) < abs(packed(best) - value):
            best = result
    return best


class Track:
    def __init__(self, name):
        self.name = name
        self.blocks = []  # (start tick, end tick, {parameter: velocity})

    def block(self, start, end, **values):
        params = {}
        for name, value in values.items():
            if self.name == "DOF":
                for i, v in enumerate(color_velocities(value), start=1):
                    params[f"{name}{i}"] = v
            else:
                params[name] = velocity(value)
        missing = set(PARAMETER_KEYS[self.name]) - set(params)
        if missing:
            raise ValueError(f"{self.name} block at tick {start} lacks {sorted(missing)}")
        self.blocks.append((start, end, params))

    def events(self):
        """(tick, order, message): note-offs sort before note-ons at the same tick."""
        keys = PARAMETER_KEYS[self.name]
        out = []
        for start, end, params in self.blocks:
            out.append((start, 1, "on", BLOCK_KEY, 100))
            out.append((end, 0, "off", BLOCK_KEY, 0))
            length = min(end - start, STEP)
            for name, vel in sorted(params.items(), key=lambda p: keys[p[0]]):
                out.append((start, 1, "on", keys[name], vel))
                out.append((start + length, 0, "off", keys[name], 0))
        return sorted(out, key=lambda e: (e[0], e[1], e[3]))


def steps(b, step):
    return bar(b) + step * STEP


def exposure_track():
    t = Track("Exposure")
    # Up from black through the intro, a flare on the last drop, down to black at the end.
    t.block(bar(0), bar(8), startExposure=0.0, endExposure=EXPOSURE, startContrast=0.55,
            endContrast=CONTRAST, startGrain=0.9, endGrain=GRAIN)
    t.block(bar(76), bar(84), startExposure=EXPOSURE, endExposure=0.46, startContrast=CONTRAST,
            endContrast=0.6, startGrain=GRAIN, endGrain=0.8)
    t.block(bar(104), bar(105), startExposure=0.85, endExposure=EXPOSURE, startContrast=0.8,
            endContrast=CONTRAST, startGrain=GRAIN, endGrain=GRAIN)
    t.block(bar(124), bar(126), startExposure=EXPOSURE, endExposure=0.0, startContrast=CONTRAST,
            endContrast=0.8, startGrain=GRAIN, endGrain=0.95)
    return t


DROPS = [24, 32, 44, 60, 104, 112, 120]


def flash_track():
    t = Track("Flash")
    hits = {}  # start tick -> (end tick, start value)
    for b in DROPS:
        hits[bar(b)] = (steps(b, 4), 1.0)
    hits[bar(124)] = (steps(124, 8), 1.0)
    drives = [(24, 32, (4, 12)), (32, 40, (8,)), (44, 76, (4, 12)), (104, 124, (4, 12))]
    for first, end, snare_steps in drives:
        for b in range(first, end):
            for s in snare_steps:
                hits.setdefault(steps(b, s), (steps(b, s + 2), 0.45 if len(snare_steps) == 1
                                               else 0.3))
    for start in sorted(hits):
        end, value = hits[start]
        t.block(start, end, startFlash=value, endFlash=0.0)
    return t


def glitch_track():
    t = Track("Glitch")

    def burst(start, end, a, b):
        t.block(start, end, startGlitch0=a[0], startGlitch1=a[1], startGlitch2=a[2],
                endGlitch0=b[0], endGlitch1=b[1], endGlitch2=b[2])

    none = (0.0, 0.0, 0.0)
    burst(steps(39, 8), bar(40), none, (0.7, 0.5, 0.3))  # into the wubwub break
    for b in range(40, 43):
        burst(steps(b, 8), bar(b + 1), (0.6, 0.4, 0.25), none)
    burst(bar(43), steps(43, 8), (0.3, 0.2, 0.1), none)
    burst(steps(43, 8), bar(44), (0.9, 0.7, 0.5), none)
    burst(steps(75, 8), bar(76), none, (0.6, 0.4, 0.3))  # into the break
    burst(bar(76), steps(76, 4), (0.5, 0.35, 0.2), none)
    burst(steps(103, 8), bar(104), none, (0.8, 0.6, 0.4))  # the breath before the last drop
    burst(bar(124), steps(124, 8), (1.0, 0.8, 0.6), (0.2, 0.1, 0.1))  # the stop
    burst(steps(124, 8), bar(126), (0.2, 0.1, 0.1), (1.0, 0.9, 0.8))
    return t


# Colour mood of each section: (red, green, blue) at its start and at its end.
MOODS = {
    "Quorvel": ((0.45, 0.50, 0.70), (0.50, 0.50, 0.66)),
    "Tessane": ((0.55, 0.45, 0.68), (0.60, 0.48, 0.60)),
    "Buildup": ((0.50, 0.60, 0.62), (0.62, 0.62, 0.55)),
    "Breakbeat": ((0.70, 0.52, 0.38), (0.72, 0.50, 0.36)),
    "Wobble": ((0.68, 0.40, 0.66), (0.62, 0.42, 0.70)),
    "Wubwub break": ((0.50, 0.70, 0.45), (0.55, 0.68, 0.40)),
    "Section 1": ((0.66, 0.56, 0.40), (0.68, 0.55, 0.42)),
    "Section 2": ((0.48, 0.60, 0.66), (0.52, 0.58, 0.66)),
    "Break": ((0.42, 0.46, 0.66), (0.46, 0.46, 0.62)),
    "Second buildup A": ((0.50, 0.48, 0.60), (0.55, 0.50, 0.56)),
    "Second buildup B": ((0.56, 0.50, 0.54), (0.60, 0.52, 0.50)),
    "Second buildup C": ((0.61, 0.52, 0.48), (0.65, 0.54, 0.45)),
    "Second buildup D": ((0.66, 0.56, 0.46), (0.70, 0.62, 0.55)),
    "Section 3": ((0.74, 0.46, 0.36), (0.70, 0.48, 0.40)),
    "Section 4": ((0.68, 0.44, 0.60), (0.70, 0.50, 0.50)),
    "Finish": ((0.68, 0.56, 0.42), (0.66, 0.56, 0.46)),
    "Stop": ((RED, GREEN, BLUE), (0.50, 0.52, 0.60)),
}


def color_track():
    t = Track("Color")
    for name, first, end in SECTIONS:
        (r0, g0, b0), (r1, g1, b1) = MOODS[name]
        t.block(bar(first), bar(end), startRed=r0, startGreen=g0, startBlue=b0, endRed=r1,
                endGreen=g1, endBlue=b1)
    return t


def dof_track():
    t = Track("DOF")
    # Focus pulls through the slow sections: (first bar, end bar, focus from, focus to,
    # aperture from, aperture to).
    pulls = [(0, 8, 0.2, 0.6, 0.03, 0.015), (8, 16, 0.6, 0.35, 0.015, 0.02),
             (76, 84, 0.3, 0.7, 0.025, 0.02), (84, 88, 0.7, 0.5, 0.02, 0.01),
             (124, 126, FOCUS, 0.15, APERTURE, 0.04)]
    for first, end, f0, f1, a0, a1 in pulls:
        t.block(bar(first), bar(end), startFocus=f0, endFocus=f1, startAperture=a0,
                endAperture=a1, startLimit=LIMIT, endLimit=LIMIT)
    return t


def build_tracks():
    return {t.name: t for t in (dof_track(), exposure_track(), color_track(), flash_track(),
                                glitch_track())}


def write_timeline(path):
    mid = mido.MidiFile(type=1, ticks_per_beat=TICKS_PER_BEAT)
    conductor = mido.MidiTrack()
    conductor.append(mido.MetaMessage("set_tempo", tempo=TEMPO_US, time=0))
    conductor.append(mido.MetaMessage("time_signature", numerator=BEATS_PER_BAR, denominator=4,
                                      time=0))
    events = [(bar(first), mido.MetaMessage("marker", text=name)) for name, first, _ in SECTIONS]
    append_timed(conductor, events)
    mid.tracks.append(conductor)
    tracks = build_tracks()
    for channel, name in enumerate(TRACKS):
        track = mido.MidiTrack()
        track.append(mido.MetaMessage("track_name", name=name, time=0))
        messages = []
        for tick, _, kind, key, vel in tracks[name].events():
            kind = "note_on" if kind == "on" else "note_off"
            messages.append((tick, mido.Message(kind, channel=channel, note=key, velocity=vel)))
        append_timed(track, messages)
        mid.tracks.append(track)
    mid.save(path)
    return tracks


def append_timed(track, events):
    """Appends (tick, message) pairs in order with delta times, then the end of the track
    on the song's last bar line, so the file is exactly as long as the song."""
    last = 0
    for tick, msg in events:
        track.append(msg.copy(time=tick - last))
        last = tick
    track.append(mido.MetaMessage("end_of_track", time=bar(SONG_BARS) - last))
