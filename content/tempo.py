"""The song's one tempo map, shared by the audio render and the timeline file.

136 4/11 BPM in 4/4: a beat is exactly 0.44 s (440000 us, an integer MIDI tempo) and exactly
19404 frames at 44100 Hz, so every bar line and every sixteenth falls on a whole frame and
the byte positions of the audio and of the MIDI stream agree to the sample.
"""

SAMPLE_RATE = 44100
BYTES_PER_FRAME = 4  # 16-bit stereo
TICKS_PER_BEAT = 480
TEMPO_US = 440000  # microseconds per beat
BEATS_PER_BAR = 4
TICKS_PER_BAR = TICKS_PER_BEAT * BEATS_PER_BAR
STEP = TICKS_PER_BEAT // 4  # a sixteenth, in ticks
FRAMES_PER_BEAT = SAMPLE_RATE * TEMPO_US // 1_000_000  # 19404
FRAMES_PER_BAR = FRAMES_PER_BEAT * BEATS_PER_BAR  # 77616
FRAMES_PER_STEP = FRAMES_PER_BEAT // 4  # 4851

assert SAMPLE_RATE * TEMPO_US % 1_000_000 == 0 and FRAMES_PER_BEAT % 4 == 0


def bar(n):
    """Tick of the start of bar n (bar 0 is the first)."""
    return n * TICKS_PER_BAR


def tick_to_frame(tick):
    """Frame (at 44100 Hz) of a tick, rounded to the nearest frame; exact on sixteenths."""
    return (tick * FRAMES_PER_BEAT * 2 + TICKS_PER_BEAT) // (2 * TICKS_PER_BEAT)


def tick_to_seconds(tick):
    return tick * TEMPO_US / TICKS_PER_BEAT / 1_000_000


# The sections: marker name, first bar, bar after the last. Bar 96 to 104 of "Second
# buildup D" is 168.96 s to 183.04 s, around the logo windows of 172.89 s to 181 s.
SECTIONS = [
    ("Quorvel", 0, 8),
    ("Tessane", 8, 16),
    ("Buildup", 16, 24),
    ("Breakbeat", 24, 32),
    ("Wobble", 32, 40),
    ("Wubwub break", 40, 44),
    ("Section 1", 44, 60),
    ("Section 2", 60, 76),
    ("Break", 76, 84),
    ("Second buildup A", 84, 88),
    ("Second buildup B", 88, 92),
    ("Second buildup C", 92, 96),
    ("Second buildup D", 96, 104),
    ("Section 3", 104, 112),
    ("Section 4", 112, 120),
    ("Finish", 120, 124),
    ("Stop", 124, 126),
]
SONG_BARS = SECTIONS[-1][2]
SONG_FRAMES = SONG_BARS * FRAMES_PER_BAR


def section_at(bar_number):
    for name, first, end in SECTIONS:
        if first <= bar_number < end:
            return name
    raise ValueError(f"bar {bar_number} lies outside the song")
