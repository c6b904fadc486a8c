"""Signal processing for the mix: filters, reverb, delay, ducking, limiting and loudness.

Signals are numpy float64 arrays, stereo as shape (frames, 2), at 44100 Hz. Anything that
needs noise takes it from a seeded random.Random, whose stream Python keeps stable.
"""

import ctypes
import ctypes.util
import math
import random

import numpy as np

RATE = 44100


def svf(x, cutoff, resonance, mode="low"):
    """Chamberlin state-variable filter over mono x with a per-frame cutoff in Hz.

    resonance is the damping 1/Q (2 = none, 0.3 = strongly resonant). A plain loop: the
    filter's state depends on the previous frame, and only short spans go through it.
    """
    out = np.empty(len(x))
    low = band = 0.0
    fs = [2.0 * math.sin(math.pi * min(c, RATE / 6.5) / RATE) for c in cutoff.tolist()]
    xs = x.tolist()
    pick_low = mode == "low"
    for i, (f, v) in enumerate(zip(fs, xs)):
        low += f * band
        high = v - low - resonance * band
        band += f * high
        out[i] = low if pick_low else band
    return out


def noise(frames, seed):
    rng = random.Random(seed)
    return np.array([rng.random() * 2.0 - 1.0 for _ in range(frames)])


def reverb_ir(seconds, seed, decay_low=2.2, decay_high=0.7):
    """A stereo hall-like impulse response: decorrelated noise whose highs die faster."""
    frames = int(seconds * RATE)
    t = np.arange(frames) / RATE
    ir = np.empty((frames, 2))
    for ch in range(2):
        n = noise(frames, seed + ch)
        spectrum = np.fft.rfft(n)
        freqs = np.fft.rfftfreq(frames, 1 / RATE)
        low = np.fft.irfft(spectrum * (freqs < 2500), frames)
        high = np.fft.irfft(spectrum * (freqs >= 2500), frames)
        # RT60 of each band: the amplitude falls by 60 dB over its decay time.
        ir[:, ch] = (low * 10 ** (-3 * t / decay_low) + 0.6 * high * 10 ** (-3 * t / decay_high))
    fade_in = np.minimum(1.0, t / 0.012)  # a short pre-delay-like swell, no hard start
    ir *= fade_in[:, None]
    return ir / np.sqrt((ir ** 2).sum(axis=0)).max()


def convolve(x, ir):
    """FFT convolution of stereo x with stereo ir, cut to the length of x."""
    n = len(x) + len(ir) - 1
    size = 1 << (n - 1).bit_length()
    out = np.empty_like(x)
    for ch in range(2):
        out[:, ch] = np.fft.irfft(np.fft.rfft(x[:, ch], size) * np.fft.rfft(ir[:, ch], size),
                                  size)[:len(x)]
    return out


def pingpong(x, delay, feedback):
    """Ping-pong delay of `delay` frames: each repeat crosses to the other side, damped.

    Computed a delay's length at a time, since each repeat depends only on the one before.
    """
    mono = x.mean(axis=1)
    wet = np.zeros_like(x)
    left = np.zeros(len(x))
    right = np.zeros(len(x))
    for start in range(delay, len(x), delay):
        end = min(start + delay, len(x))
        src = slice(start - delay, end - delay)
        # The first repeat goes left, then every repeat swaps sides.
        left[start:end] = mono[src] + feedback * right[src]
        right[start:end] = feedback * left[src]
    wet[:, 0] = left
    wet[:, 1] = right
    # Dull the repeats: a short moving average is a gentle low-pass.
    kernel = np.ones(6) / 6
    for ch in range(2):
        wet[:, ch] = np.convolve(wet[:, ch], kernel, mode="same")
    return wet


def ramp_gate(frames, starts_ends, ramp):
    """1.0 inside the (start, end) spans with linear ramps of `ramp` frames, else 0.0."""
    g = np.zeros(frames)
    r = np.linspace(0, 1, ramp, endpoint=False)
    for s, e in starts_ends:
        s, e = max(0, s), min(frames, e)
        if e <= s:
            continue
        g[s:e] = 1.0
        n = min(ramp, e - s)
        g[s:s + n] = np.minimum(g[s:s + n], r[:n])
        g[e - n:e] = np.minimum(g[e - n:e], r[:n][::-1] + 1 / ramp)
    return g


def duck_envelope(frames, kick_frames, hold=0.010, release=0.190):
    """0..1 amount of ducking: full from each kick for `hold` s, then a smooth release."""
    h = int(hold * RATE)
    rl = int(release * RATE)
    pre = int(0.002 * RATE)
    shape = np.concatenate([np.linspace(0, 1, pre, endpoint=False), np.ones(h),
                            0.5 + 0.5 * np.cos(np.linspace(0, math.pi, rl))])
    env = np.zeros(frames)
    for k in kick_frames:
        s = k - pre
        a, b = max(0, s), min(frames, s + len(shape))
        if b > a:
            env[a:b] = np.maximum(env[a:b], shape[a - s:b - s])
    return env


def limit(x, ceiling, block=32, release=0.08):
    """Look-ahead peak limiter: gain per block, never above what keeps |x| <= ceiling."""
    frames = len(x)
    blocks = -(-frames // block)
    padded = np.zeros((blocks * block, 2))
    padded[:frames] = x
    peak = np.abs(padded).max(axis=1).reshape(blocks, block).max(axis=1)
    need = np.minimum(1.0, ceiling / np.maximum(peak, 1e-12))
    # Each block's gain ramps linearly to the next, so both ends must respect the block.
    need = np.minimum(need, np.minimum(np.r_[1.0, need[:-1]], np.r_[need[1:], 1.0]))
    coeff = 1.0 - math.exp(-block / (release * RATE))
    gains = []
    g = 1.0
    for n in need.tolist():
        g = min(n, g + (1.0 - g) * coeff)
        gains.append(g)
    gains = np.array(gains)
    edges = np.r_[gains, gains[-1]]
    per_frame = np.interp(np.arange(blocks * block) / block, np.arange(blocks + 1), edges)
    y = padded * per_frame[:, None]
    return y[:frames]


class Ebur128:
    """The loudness meter of Debian's libebur128 (EBU R 128 / ITU BS.1770), via ctypes."""

    MODE_I = 1 << 2 | 1  # integrated loudness (with momentary)
    MODE_TRUE_PEAK = (1 << 5) | (1 << 4) | 1

    def __init__(self):
        name = ctypes.util.find_library("ebur128") or "libebur128.so.1"
        self.lib = ctypes.CDLL(name)
        self.lib.ebur128_init.restype = ctypes.c_void_p
        self.lib.ebur128_init.argtypes = [ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.lib.ebur128_add_frames_double.argtypes = [ctypes.c_void_p, ctypes.c_void_p,
                                                       ctypes.c_size_t]
        self.lib.ebur128_loudness_global.argtypes = [ctypes.c_void_p,
                                                     ctypes.POINTER(ctypes.c_double)]
        self.lib.ebur128_true_peak.argtypes = [ctypes.c_void_p, ctypes.c_uint,
                                               ctypes.POINTER(ctypes.c_double)]
        self.lib.ebur128_destroy.argtypes = [ctypes.POINTER(ctypes.c_void_p)]

    def measure(self, x):
        """(integrated loudness in LUFS, true peak in dBTP) of stereo x."""
        state = ctypes.c_void_p(self.lib.ebur128_init(2, RATE, self.MODE_I | self.MODE_TRUE_PEAK))
        data = np.ascontiguousarray(x, dtype=np.float64)
        self.lib.ebur128_add_frames_double(state, data.ctypes.data, len(data))
        loudness = ctypes.c_double()
        self.lib.ebur128_loudness_global(state, ctypes.byref(loudness))
        peaks = []
        for ch in range(2):
            p = ctypes.c_double()
            self.lib.ebur128_true_peak(state, ch, ctypes.byref(p))
            peaks.append(p.value)
        self.lib.ebur128_destroy(ctypes.byref(state))
        return loudness.value, 20 * math.log10(max(max(peaks), 1e-12))
