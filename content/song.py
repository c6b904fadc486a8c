"""The composition: every note of the song and the automation of its processed parts.

D minor, 136 4/11 BPM. Everything is written on a grid of sixteenths (tempo.STEP ticks);
the few choices made by chance (ghost notes, hat accents) come from one seeded generator,
so the same source always gives the same notes.
"""

import random
from collections import namedtuple

from tempo import STEP, TICKS_PER_BAR, SECTIONS, bar

Note = namedtuple("Note", "part tick dur key vel")
# Automation of the mixer: a span of ticks with a kind and a value (see render.py).
Span = namedtuple("Span", "kind start end value")

# Chord voicings around middle C and the bass root of each chord.
CHORDS = {
    "Dm": ([62, 65, 69], 38),
    "Bb": ([62, 65, 70], 34),
    "F": ([60, 65, 69], 41),
    "C": ([60, 64, 67], 36),
    "Gm": ([62, 67, 70], 43),
    "A": ([61, 64, 69], 33),
    "Eb": ([63, 67, 70], 39),
}

MAIN = ["Dm", "Bb", "F", "C", "Dm", "Bb", "Gm", "A"]
INTRO = ["Dm", "Dm", "Bb", "Bb", "Gm", "Gm", "A", "A"]
BREAK = ["Bb", "F", "Gm", "Dm", "Bb", "F", "Eb", "A"]
WOBBLE = ["Dm", "Dm", "Bb", "A"]
RISE = {"Second buildup A": ["Bb", "Bb", "C", "C"],
        "Second buildup B": ["Dm", "Dm", "Bb", "Bb"],
        "Second buildup C": ["Gm", "Gm", "A", "A"],
        "Second buildup D": ["Bb", "Bb", "C", "C", "Dm", "Dm", "A", "A"]}

# The lead's theme over MAIN: per bar, (step, key, length in steps).
THEME = [
    [(0, 74, 3), (3, 77, 3), (6, 81, 4), (10, 79, 2), (12, 77, 2), (14, 76, 2)],
    [(0, 74, 6), (6, 70, 2), (8, 74, 2), (10, 77, 6)],
    [(0, 72, 3), (3, 77, 3), (6, 81, 4), (10, 84, 2), (12, 81, 2), (14, 79, 2)],
    [(0, 79, 6), (6, 76, 2), (8, 72, 4), (12, 76, 4)],
    [(0, 74, 3), (3, 77, 3), (6, 81, 4), (10, 79, 2), (12, 77, 2), (14, 76, 2)],
    [(0, 74, 3), (3, 77, 3), (6, 82, 4), (10, 81, 2), (12, 79, 2), (14, 77, 2)],
    [(0, 79, 4), (4, 77, 2), (6, 74, 4), (10, 70, 2), (12, 74, 4)],
    [(0, 73, 8), (8, 76, 4), (12, 81, 4)],
]
# An answer to the theme, for the second half of a sixteen-bar section.
ANSWER = [
    [(0, 81, 2), (2, 79, 2), (4, 77, 2), (6, 81, 4), (10, 86, 6)],
    [(0, 84, 3), (3, 82, 3), (6, 81, 2), (8, 77, 4), (12, 74, 4)],
    [(0, 77, 2), (2, 79, 2), (4, 81, 2), (6, 84, 4), (10, 81, 2), (12, 77, 4)],
    [(0, 79, 8), (8, 76, 2), (10, 79, 2), (12, 84, 4)],
    [(0, 86, 3), (3, 84, 3), (6, 81, 4), (10, 77, 2), (12, 81, 4)],
    [(0, 82, 3), (3, 81, 3), (6, 77, 4), (10, 74, 2), (12, 77, 4)],
    [(0, 79, 4), (4, 82, 2), (6, 86, 4), (10, 82, 2), (12, 79, 4)],
    [(0, 81, 6), (6, 76, 2), (8, 73, 4), (12, 69, 4)],
]
# A slow bell line for the intro and the break: per two bars, (step, key, length).
BELL = [(0, 74, 8), (8, 77, 8), (16, 76, 12), (28, 72, 4)]

# Drum kits by (bank 128) program and key, one per part; see render.INSTRUMENTS.
KICK, SNARE, CLAP, HAT, OPEN_HAT, CRASH, RIDE, TOM = (
    "kick", "snare", "clap", "hat", "ohat", "crash", "ride", "tom")


class Song:
    def __init__(self, seed=1105):
        self.random = random.Random(seed)
        self.notes = []
        self.spans = []

    def add(self, part, tick, dur, key, vel):
        self.notes.append(Note(part, tick, dur, key, max(1, min(127, int(vel)))))

    def span(self, kind, start, end, value):
        self.spans.append(Span(kind, start, end, value))

    # -- building blocks ------------------------------------------------------------------

    def chord_bar(self, part, b, chord, steps, length, vel, octave=0):
        keys, _ = CHORDS[chord]
        for step in steps:
            for key in keys:
                self.add(part, bar(b) + step * STEP, length * STEP, key + 12 * octave, vel)

    def pad(self, b, chord, bars=1, vel=70, part="pad"):
        keys, root = CHORDS[chord]
        for key in keys:
            self.add(part, bar(b), bars * TICKS_PER_BAR, key, vel)
        self.add(part, bar(b), bars * TICKS_PER_BAR, root + 12, vel - 10)

    def arp(self, b, chord, vel, pattern=(0, 1, 2, 3, 4, 3, 2, 1), every=1, accent=12):
        keys, _ = CHORDS[chord]
        tones = [k + 12 for k in keys] + [keys[0] + 24, keys[1] + 24]
        for i, step in enumerate(range(0, 16, every)):
            key = tones[pattern[i % len(pattern)]]
            self.add("arp", bar(b) + step * STEP, every * STEP, key,
                     vel + (accent if step % 4 == 0 else 0))

    def melody(self, part, b, phrase, vel, transpose=0):
        for step, key, length in phrase:
            self.add(part, bar(b) + step * STEP, length * STEP, key + transpose,
                     vel + (8 if step % 4 == 0 else 0))

    def bass_line(self, b, chord, pattern, vel):
        _, root = CHORDS[chord]
        for step, interval, length in pattern:
            self.add("bass", bar(b) + step * STEP, length * STEP, root + interval,
                     vel + (10 if step % 8 == 0 else 0))

    def drums(self, b, hits):
        """hits: (part, key, steps, velocity); the velocity may be a per-step list."""
        for part, key, steps, vel in hits:
            for i, step in enumerate(steps):
                v = vel[i] if isinstance(vel, list) else vel
                self.add(part, bar(b) + step * STEP, STEP, key, v)

    def hats16(self, b, vel, open_offbeats=False):
        for step in range(16):
            accent = 14 if step % 4 == 2 else (0 if step % 2 == 0 else -14)
            jitter = self.random.randint(-6, 6)
            if open_offbeats and step % 4 == 2:
                self.add(OPEN_HAT, bar(b) + step * STEP, 2 * STEP, 46, vel + 4)
            else:
                self.add(HAT, bar(b) + step * STEP, STEP, 42, vel + accent + jitter)

    def four_floor(self, b, vel=118, clap=True, hats=96, open_hats=True):
        self.drums(b, [(KICK, 36, [0, 4, 8, 12], vel)])
        if clap:
            self.drums(b, [(CLAP, 39, [4, 12], 104), (SNARE, 40, [4, 12], 92)])
        if hats:
            self.hats16(b, hats - 24, open_offbeats=open_hats)

    def breakbeat(self, b, variant, vel=116):
        kicks = [0, 10] if variant % 2 == 0 else [0, 7, 10]
        self.drums(b, [(KICK, 36, kicks, vel), (SNARE, 40, [4, 12], 112)])
        ghosts = [s for s in (7, 9, 14, 15) if self.random.random() < 0.55]
        self.drums(b, [(SNARE, 38, ghosts, 52)])
        self.hats16(b, 76)

    def halftime(self, b, vel=120):
        self.drums(b, [(KICK, 36, [0, 3] if b % 2 else [0, 10], vel),
                       (SNARE, 40, [8], 118), (CLAP, 39, [8], 100)])
        self.drums(b, [(HAT, 42, [0, 2, 4, 6, 8, 10, 12, 14], [70, 50, 74, 50, 70, 50, 74, 60])])

    def fill(self, b, vel=100):
        self.drums(b, [(SNARE, 40, [12, 13, 14, 15], [vel - 24, vel - 16, vel - 8, vel]),
                       (TOM, 45, [8, 10], [vel - 10, vel - 10])])

    def roll(self, b, per_beat, v0, v1, part=SNARE, key=40):
        """A roll over one bar at per_beat hits a beat, its velocity from v0 to v1."""
        count = per_beat * 4
        for i in range(count):
            tick = bar(b) + i * TICKS_PER_BAR // count
            self.add(part, tick, TICKS_PER_BAR // count, key, v0 + (v1 - v0) * i / count)

    def crash(self, b, vel=110):
        self.add(CRASH, bar(b), 2 * STEP, 49, vel)

    def reverse_cymbal(self, b):
        """A reverse cymbal whose swell peaks on the downbeat of bar b (aligned in render)."""
        self.add("revcym", bar(b), 8 * STEP, 60, 100)

    def riser(self, start_bar, end_bar, level):
        self.span("riser", bar(start_bar), bar(end_bar), level)

    def wobble(self, b, chord, bars, rate_steps, vel=104):
        """A held saw bass through a filter swept by an LFO of rate_steps sixteenths."""
        _, root = CHORDS[chord]
        root = root if root < 40 else root - 12
        self.add("wob", bar(b), bars * TICKS_PER_BAR, root, vel)
        self.add("wob", bar(b), bars * TICKS_PER_BAR, root + 12, vel - 20)
        self.add("sub", bar(b), bars * TICKS_PER_BAR, root, vel)
        self.span("wobble", bar(b), bar(b + bars), rate_steps)


def compose(seed=1105):
    song = Song(seed)
    for name, first, end in SECTIONS:
        SECTION_WRITERS[name](song, first, end)
    song.notes.sort(key=lambda n: (n.tick, n.part, n.key))
    return song


def quorvel(s, first, end):
    # Dark and quiet: a warm pad swelling in, a bell line from bar 4.
    for i in range(first, end, 2):
        s.pad(i, INTRO[i - first], bars=2, vel=48 + 3 * (i - first))
    for i in range(first + 4, end, 2):
        s.melody("bell", i, BELL, 56)
    s.add("sub", bar(first), 8 * TICKS_PER_BAR, 38, 40)


def tessane(s, first, end):
    for i in range(first, end, 2):
        s.pad(i, INTRO[i - first], bars=2, vel=66)
        s.melody("bell", i, BELL, 62)
    for i in range(first, end):
        s.arp(i, INTRO[i - first], 38 + 2 * (i - first), every=2)
        s.add("bass", bar(i), 16 * STEP, CHORDS[INTRO[i - first]][1], 70)
    for i in range(first + 4, end):
        s.drums(i, [(HAT, 42, [2, 6, 10, 14], 56 + 3 * (i - first))])


def buildup(s, first, end):
    for i in range(first, end):
        chord = MAIN[i - first]
        s.pad(i, chord, vel=72 + i - first)
        s.arp(i, chord, 52 + 3 * (i - first))
        s.bass_line(i, chord, [(0, 0, 4), (8, 0, 4)], 78)
        s.drums(i, [(KICK, 36, [0, 4, 8, 12] if i >= first + 4 else [0, 8], 96 + 2 * (i - first))])
        s.hats16(i, 60 + 3 * (i - first))
    for i, rate in zip(range(first + 4, end), (1, 2, 4, 8)):
        s.roll(i, rate, 58 + 8 * (i - first - 4), 80 + 10 * (i - first - 4))
    s.riser(first + 4, end, 0.7)
    s.reverse_cymbal(end)


def breakbeat(s, first, end):
    s.crash(first, 118)
    for i in range(first, end):
        chord = MAIN[i - first]
        s.breakbeat(i, i - first)
        s.bass_line(i, chord, [(0, 0, 2), (3, 0, 1), (6, 12, 2), (8, 0, 2), (11, 7, 1),
                               (14, 12, 2)], 96)
        s.chord_bar("stab", i, chord, [0, 3, 6, 10], 1, 82)
        s.arp(i, chord, 58)
    s.fill(end - 1)
    s.reverse_cymbal(end)


def wobble(s, first, end):
    s.crash(first, 120)
    rates = [8, 4, 4, 2, 8, 4, 3, 2]  # LFO period in sixteenths, per bar
    for i in range(first, end):
        chord = WOBBLE[(i - first) // 2]
        s.halftime(i)
        s.wobble(i, chord, 1, rates[i - first])
        if (i - first) % 2 == 0:
            s.pad(i, chord, bars=2, vel=64)
    s.fill(end - 1, 108)


def wubwub(s, first, end):
    # The wobble alone, faster and chopped, the drums reduced to kicks and a closing roll.
    for i, rate in zip(range(first, end), (2, 1, 2, 1)):
        s.wobble(i, "Dm" if i < end - 1 else "A", 1, rate, vel=110)
        s.span("gate", bar(i) + 8 * STEP, bar(i + 1), 1 if i % 2 else 2)
        s.drums(i, [(KICK, 36, [0, 6], 112)])
    s.roll(end - 1, 4, 70, 112)
    s.riser(end - 2, end, 0.5)
    s.reverse_cymbal(end)


def full_section(s, first, end, variant):
    """Sections 1 to 4: four to the floor, rolling bass, stabs, arp and the lead."""
    s.crash(first, 122)
    for i in range(first, end):
        k = i - first
        chord = MAIN[k % 8]
        s.four_floor(i)
        s.pad(i, chord, vel=62)
        if variant in (1, 3):
            s.bass_line(i, chord, [(0, 0, 2), (2, 0, 2), (6, 12, 2), (10, 0, 2), (14, 12, 2)], 100)
        else:
            s.bass_line(i, chord, [(0, 0, 3), (3, 0, 3), (6, 12, 2), (8, 0, 2), (10, 7, 2),
                                   (12, 0, 2), (14, 12, 2)], 98)
        s.chord_bar("stab", i, chord, [2, 6, 10, 14] if variant != 2 else [0, 3, 6, 10, 14],
                    1, 78)
        s.arp(i, chord, 50, pattern=(0, 2, 1, 3, 2, 4, 3, 1))
        phrase = THEME if (k // 8) % 2 == 0 else ANSWER
        s.melody("lead", i, phrase[k % 8], 96, transpose=12 if variant == 4 and k >= 8 else 0)
        if variant >= 3:  # the last drop doubles the lead an octave up
            s.melody("lead", i, phrase[k % 8], 70, transpose=24 if variant == 4 and k >= 8 else 12)
        if variant in (2, 4) and k % 8 < 2:
            s.wobble(i, chord, 1, 4, vel=84)
        if k % 8 == 7:
            s.fill(i)
        if k % 8 == 0 and k:
            s.crash(i, 104)
    s.reverse_cymbal(end)


def section1(s, first, end):
    full_section(s, first, end, 1)


def section2(s, first, end):
    full_section(s, first, end, 2)


def section3(s, first, end):
    full_section(s, first, end, 3)


def section4(s, first, end):
    full_section(s, first, end, 4)


def break_(s, first, end):
    # Sparse: pad, bell and a soft lead, no drums; a roll leads out.
    for i in range(first, end):
        chord = BREAK[i - first]
        s.pad(i, chord, vel=58)
        s.add("bass", bar(i), 16 * STEP, CHORDS[chord][1], 50)
        s.arp(i, chord, 30, every=2)
    for i in range(first, end, 2):
        s.melody("bell", i, BELL, 60)
    s.roll(end - 1, 2, 40, 70)


def rise(s, first, end, stage):
    """Second buildup A to D: each part adds drive, D holds the logos and the drop."""
    chords = RISE[["Second buildup A", "Second buildup B", "Second buildup C",
                   "Second buildup D"][stage]]
    for i in range(first, end):
        k = i - first
        chord = chords[k]
        s.pad(i, chord, vel=66 + 4 * stage, part="choir" if stage == 3 else "pad")
        s.arp(i, chord, 44 + 6 * stage + 2 * k)
        s.drums(i, [(KICK, 36, [0, 4, 8, 12], 92 + 6 * stage)])
        if stage >= 1:
            s.bass_line(i, chord, [(0, 0, 2), (4, 0, 2), (8, 0, 2), (12, 0, 2)], 84 + 4 * stage)
        if stage == 1:
            s.drums(i, [(SNARE, 40, [4, 12], 90)])
        if stage == 2:
            s.roll(i, 2, 70 + 6 * k, 90 + 6 * k)
        if stage == 3:
            s.hats16(i, 70 + 2 * k)
            if k < 7:
                s.roll(i, (4, 4, 4, 4, 4, 4, 8)[k], 70 + 6 * k, 84 + 6 * k)
                s.chord_bar("stab", i, chord, [0, 4, 8, 12], 2, 60 + 3 * k)
    if stage == 3:
        s.melody("lead", first, THEME[0], 84, transpose=0)
        s.melody("lead", first + 4, THEME[4], 90, transpose=0)
        s.riser(first, end, 0.8)
        s.reverse_cymbal(end)
        # The breath before the drop: the last half bar holds only the riser and the swell.
        s.span("mute", bar(end) - 8 * STEP, bar(end), 0)


def rise_a(s, first, end):
    rise(s, first, end, 0)


def rise_b(s, first, end):
    rise(s, first, end, 1)


def rise_c(s, first, end):
    rise(s, first, end, 2)
    s.riser(first, end, 0.6)


def rise_d(s, first, end):
    rise(s, first, end, 3)


def finish(s, first, end):
    s.crash(first, 122)
    for i, chord in zip(range(first, end), ["Bb", "C", "Gm", "A"]):
        s.four_floor(i, clap=True)
        s.pad(i, chord, vel=70)
        s.bass_line(i, chord, [(0, 0, 4), (4, 0, 4), (8, 12, 4), (12, 0, 4)], 100)
        s.chord_bar("stab", i, chord, [0, 4, 8, 12], 2, 84)
        s.melody("lead", i, [(0, CHORDS[chord][0][2] + 12, 8), (8, CHORDS[chord][0][1] + 12, 8)],
                 96)
    s.roll(end - 1, 4, 80, 120)


def stop(s, first, end):
    # One hit on the downbeat, then nothing but its ring.
    s.crash(first, 127)
    s.drums(first, [(KICK, 36, [0], 127), (CLAP, 39, [0], 110)])
    s.chord_bar("stab", first, "Dm", [0], 4, 110)
    s.pad(first, "Dm", bars=1, vel=84)
    s.add("bass", bar(first), 8 * STEP, 38, 112)
    s.add("sub", bar(first), 8 * STEP, 26, 112)


SECTION_WRITERS = {
    "Quorvel": quorvel, "Tessane": tessane, "Buildup": buildup, "Breakbeat": breakbeat,
    "Wobble": wobble, "Wubwub break": wubwub, "Section 1": section1, "Section 2": section2,
    "Break": break_, "Second buildup A": rise_a, "Second buildup B": rise_b,
    "Second buildup C": rise_c, "Second buildup D": rise_d, "Section 3": section3,
    "Section 4": section4, "Finish": finish, "Stop": stop,
}
