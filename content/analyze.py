#!/usr/bin/python3
"""Measures the rendered song: loudness and levels per section, onsets against the bar
lines, and a spectrogram with the section boundaries drawn on it.

    /usr/bin/python3 content/analyze.py [resources/brannoch-edit-2bar.ogg] [--png out.png]

Needs sox, oggdec (vorbis-tools), ImageMagick's convert and libebur128.
"""

import argparse
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import numpy as np  # noqa: E402

import dsp  # noqa: E402
from tempo import FRAMES_PER_BAR, FRAMES_PER_STEP, SECTIONS, SONG_FRAMES  # noqa: E402


def decode(path):
    with tempfile.TemporaryDirectory() as tmp:
        raw = os.path.join(tmp, "song.raw")
        subprocess.run(["oggdec", "-Q", "-R", "-b", "16", "-e", "0", "-o", raw, path], check=True)
        return np.fromfile(raw, dtype="<i2").reshape(-1, 2).astype(np.float64) / 32768.0


def db(x):
    return 20 * np.log10(max(x, 1e-9))


def onset_offsets(audio, bars, window=32):
    """For each bar line, the frame offset of the strongest rise of short-time energy
    within 10 ms of it: the energy of `window` frames from a point against the energy of
    the `window` frames before it."""
    mono = np.diff(audio.mean(axis=1), prepend=0.0)  # the slope stresses attacks
    result = []
    for b in bars:
        line = b * FRAMES_PER_BAR
        x = mono[line - 441 - window:line + 441 + window]
        energy = np.concatenate([[0.0], np.cumsum(x ** 2)])
        after = energy[2 * window:] - energy[window:-window]
        before = energy[window:-window] - energy[:-2 * window]
        ratio = (after + 1e-9) / (before + 1e-9)
        result.append(int(np.argmax(ratio)) - 441)
    return result


def spectrogram(ogg, png):
    with tempfile.TemporaryDirectory() as tmp:
        raw_png = os.path.join(tmp, "spec.png")
        width = 1800
        subprocess.run(["sox", ogg, "-n", "remix", "-", "rate", "22050", "spectrogram",
                        "-x", str(width), "-y", "400", "-z", "90", "-o", raw_png,
                        "-t", "brannoch-edit-2bar.ogg"], check=True)
        # sox puts the plot 58 pixels from the left edge; draw each section start on it.
        draw = []
        seconds = SONG_FRAMES / 44100
        for name, first, _ in SECTIONS:
            x = 58 + round(first * FRAMES_PER_BAR / 44100 / seconds * width)
            draw += ["-stroke", "white", "-draw", f"line {x},30 {x},440",
                     "-stroke", "none", "-fill", "yellow", "-pointsize", "11",
                     "-draw", f"text {x + 2},{40 + 12 * (SECTIONS.index((name, first, _)) % 8)}"
                              f" '{name}'"]
        convert = "/usr/bin/convert" if os.path.exists("/usr/bin/convert") else "convert"
        subprocess.run([convert, raw_png, "-font", "DejaVu-Sans"] + draw + [png], check=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("ogg", nargs="?",
                        default=os.path.join(HERE, "..", "resources", "brannoch-edit-2bar.ogg"))
    parser.add_argument("--png", help="write a spectrogram with the sections marked")
    args = parser.parse_args()
    audio = decode(args.ogg)
    meter = dsp.Ebur128()
    loud, peak = meter.measure(audio)
    print(f"length {len(audio)} frames ({len(audio) / 44100:.3f} s), expected {SONG_FRAMES}")
    print(f"integrated {loud:.2f} LUFS, true peak {peak:.2f} dBTP, "
          f"sample peak {db(np.abs(audio).max()):.2f} dBFS, "
          f"size {os.path.getsize(args.ogg) / 1e6:.2f} MB")
    print(f"{'section':18} {'start s':>8} {'LUFS':>7} {'RMS dB':>7} {'peak dB':>8}"
          f" {'low<150':>8} {'high>4k':>8}")
    for name, first, end in SECTIONS:
        a = audio[first * FRAMES_PER_BAR:end * FRAMES_PER_BAR]
        lufs, _ = meter.measure(a)
        spec = np.abs(np.fft.rfft(a.mean(axis=1))) ** 2
        freqs = np.fft.rfftfreq(len(a), 1 / 44100)
        total = spec.sum()
        low = spec[freqs < 150].sum() / total
        high = spec[freqs > 4000].sum() / total
        print(f"{name:18} {first * FRAMES_PER_BAR / 44100:8.2f} {lufs:7.2f} "
              f"{db(np.sqrt((a ** 2).mean())):7.2f} {db(np.abs(a).max()):8.2f} "
              f"{low:8.2f} {high:8.3f}")
    drops = [24, 32, 44, 60, 104, 112, 120, 124]
    print("onset at drop bar lines (frames after the bar line):",
          dict(zip(drops, onset_offsets(audio, drops))))
    if args.png:
        spectrogram(args.ogg, args.png)
        print(f"wrote {args.png}")


if __name__ == "__main__":
    main()
